#pragma once

#include "records/FinestraRecord.h"

#include <array>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;

// The customer and supplier windows: one row of CliFor, its name (required),
// address, tax code, telephones, e-mail and notes. The two differ only in
// the kind they write into a new row and in their titles.
class FinestraCliFor : public FinestraRecord
{
    Q_OBJECT

public:
    platform::Variant Nuovo(int modal);
    platform::Variant Apri(std::int32_t idCliFor, int modal);

    // Nome, Indirizzo, CAP, Località, Prov, PIVA, Telefono, Cellulare, Fax,
    // Email; the notes are txtNote.
    std::array<QLineEdit *, 10> txtData{};
    QPlainTextEdit *txtNote = nullptr;
    QTabWidget *SSTab1 = nullptr;

protected:
    struct Tipo
    {
        QString nome;        // the window's object name
        QString tipo;        // CliFor.Tipo of a new row
        QString titolo;      // the window's title
        QString titoloNuovo; // the title of a new record
        QString suffisso;    // after the name in the title
    };

    FinestraCliFor(const Tipo &tipo, QWidget *parent);

    void ValoriNuovo(platform::Recordset &record) override;
    void Imposta() override;
    void Lasciato(QWidget *control) override;

private:
    Tipo m_Tipo;
};

// The customer window.
class frm_io_Clienti : public FinestraCliFor
{
    Q_OBJECT

public:
    explicit frm_io_Clienti(QWidget *parent = nullptr);
};

// The supplier window.
class frm_io_Fornitori_01 : public FinestraCliFor
{
    Q_OBJECT

public:
    explicit frm_io_Fornitori_01(QWidget *parent = nullptr);
};
