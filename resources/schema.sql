-- Tables, indexes and plain views of the template database "master.gen".
-- Declared types decide both SQLite's column affinity and what the
-- catalogue reports (VARCHAR(n) = text of n characters, LONGTEXT = long
-- text, DOUBLE = number, CURRENCY = four-decimal fixed point, YESNO =
-- Boolean, DATETIME = date, BLOB = binary). Every text column compares
-- without regard to case, as the program expects of its database.
-- The stored parameter queries are added by the template builder.

CREATE TABLE Articoli (
    Codice        VARCHAR(40) NOT NULL COLLATE NOCASE PRIMARY KEY,
    Descrizione   VARCHAR(255) COLLATE NOCASE,
    UM            VARCHAR(10) COLLATE NOCASE,
    Categoria     VARCHAR(50) COLLATE NOCASE,
    IdFornitore   INTEGER,
    CodiceArtFor  VARCHAR(40) COLLATE NOCASE,
    CodiceIVA     VARCHAR(10) COLLATE NOCASE,
    Costo         DOUBLE,
    Ricarico      DOUBLE,
    Prezzo        DOUBLE,
    Aliquota      DOUBLE,
    PrezzoIvato   DOUBLE,
    ScortaMinima  FLOAT DEFAULT 0,
    Ubicazione    VARCHAR(50) COLLATE NOCASE,
    Note          LONGTEXT,
    DataIns       DATETIME
);

CREATE TABLE CliFor (
    IdCliFor      INTEGER PRIMARY KEY AUTOINCREMENT,
    Tipo          VARCHAR(10) COLLATE NOCASE,
    Nome          VARCHAR(100) COLLATE NOCASE,
    Indirizzo     VARCHAR(100) COLLATE NOCASE,
    CAP           VARCHAR(10) COLLATE NOCASE,
    "Località"    VARCHAR(50) COLLATE NOCASE,
    Prov          VARCHAR(5) COLLATE NOCASE,
    PIVA          VARCHAR(20) COLLATE NOCASE,
    Telefono      VARCHAR(30) COLLATE NOCASE,
    Cellulare     VARCHAR(30) COLLATE NOCASE,
    Fax           VARCHAR(30) COLLATE NOCASE,
    Email         VARCHAR(100) COLLATE NOCASE,
    Note          LONGTEXT
);

CREATE TABLE CodiciIVA (
    CodiceIVA     VARCHAR(10) NOT NULL COLLATE NOCASE PRIMARY KEY,
    Descrizione   VARCHAR(50) COLLATE NOCASE,
    Aliquota      DOUBLE,
    Esenzione     YESNO NOT NULL DEFAULT 0,
    Predefinito   YESNO NOT NULL DEFAULT 0
);

CREATE TABLE Liste (
    Id            INTEGER PRIMARY KEY AUTOINCREMENT,
    Chiave        VARCHAR(10) COLLATE NOCASE,
    Codice        VARCHAR(10) COLLATE NOCASE,
    Descrizione   VARCHAR(50) COLLATE NOCASE,
    Predefinito   YESNO NOT NULL DEFAULT 0
);

CREATE TABLE MagazRegMain (
    IdReg             INTEGER PRIMARY KEY AUTOINCREMENT,
    DataIns           DATETIME,
    Progressivo       INTEGER,
    Causale           VARCHAR(50) COLLATE NOCASE,
    Descrizione       VARCHAR(255) COLLATE NOCASE,
    TipoContropartita VARCHAR(50) COLLATE NOCASE,
    IdContropartita   INTEGER
);

CREATE TABLE MagazRegDetail (
    IdDet           INTEGER PRIMARY KEY AUTOINCREMENT,
    IdReg           INTEGER,
    Riga            INTEGER,
    CodiceArticolo  VARCHAR(40) COLLATE NOCASE,
    "Quantità"      CURRENCY,
    Segno           SMALLINT,
    Costo           DOUBLE,
    Prezzo          DOUBLE
);

CREATE TABLE _Pars (
    k01  VARCHAR(50) COLLATE NOCASE,
    k02  VARCHAR(50) COLLATE NOCASE,
    l01  DOUBLE,
    l02  DOUBLE,
    m01  BLOB
);

CREATE INDEX MagazRegDetail_IdReg ON MagazRegDetail (IdReg);
-- Covers the stock and cost queries: an article's load lines with their
-- movement, line, cost and quantity are read from the index alone.
CREATE INDEX MagazRegDetail_CodiceArticolo
    ON MagazRegDetail (CodiceArticolo, Segno, IdReg, Riga, Costo, "Quantità");
CREATE INDEX MagazRegMain_DataIns ON MagazRegMain (DataIns);
CREATE INDEX MagazRegMain_Causale ON MagazRegMain (Causale);
CREATE INDEX Pars_k01_l01 ON _Pars (k01, l01);
CREATE INDEX Articoli_IdFornitore ON Articoli (IdFornitore);
CREATE INDEX CliFor_Tipo_Nome ON CliFor (Tipo, Nome);

CREATE VIEW ViewArticoli AS
SELECT Articoli.Codice, Articoli.Descrizione, Articoli.UM, Articoli.Ubicazione,
       Articoli.Categoria, CliFor.Nome, Articoli.Costo, Articoli.PrezzoIvato
FROM Articoli LEFT JOIN CliFor ON Articoli.IdFornitore = CliFor.IdCliFor;

CREATE VIEW ViewClienti AS
SELECT IdCliFor, Nome, Indirizzo, CAP, "Località", Prov, Telefono, Cellulare,
       PIVA AS pIVA, Fax, Email
FROM CliFor WHERE Tipo = 'Cliente';

CREATE VIEW ViewFornitori AS
SELECT IdCliFor, Nome, Indirizzo, CAP, "Località", Prov, Telefono, Cellulare,
       PIVA AS pIVA, Fax, Email
FROM CliFor WHERE Tipo = 'Fornitore';
