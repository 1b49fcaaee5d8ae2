// The schema upgrades that bring a database made by an older version to
// the current shape. They run at every start; nothing records that one
// ran, so each first reads whether its change is still due and writes only
// then: a current database is never locked for writing at start, and one
// that cannot be written opens all the same.

#include "shell/MainModule.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Catalog.h"
#include "platform/data/CatalogProcedure.h"
#include "platform/data/Connection.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/JetTemplateQueries.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace MainModule {

namespace {

using Check = std::function<bool(const platform::Connection &)>;
using Change = std::function<void(platform::Connection &)>;

// Runs `change` on a new connection inside one write transaction, but only
// when `due` finds something to change: a current database is only read,
// so that one that cannot be written still opens. `due` is asked again
// inside the transaction, where no other copy can make the change
// meanwhile. Any error rolls the whole upgrade back (the connection
// discards an uncommitted transaction when it closes) and reaches the
// caller.
void SeNecessario(const Check &due, const Change &change)
{
    platform::Connection connection(ConnString);
    if (!due(connection))
        return;
    connection.beginTrans();
    if (due(connection))
        change(connection);
    connection.commitTrans();
    connection.close();
}

// Runs `statement` on a new connection, when `missing` finds the change it
// makes not yet in place, for the upgrades whose statement fails when the
// change is already there: that failure, an ordinary statement error, is
// ignored (another copy may have made it since the check). A database that
// another copy holds, that cannot be written, whose disk is full or whose
// file is damaged is not "already done", so those errors reach the caller
// like the other upgrades' errors.
void SeMancante(const Check &missing, const QString &statement)
{
    try {
        platform::Connection connection(ConnString);
        if (missing(connection))
            connection.execute(statement);
        connection.close();
    } catch (const platform::DatabaseError &e) {
        if (e.kind() != platform::DatabaseError::Kind::General)
            throw;
    }
}

// The CREATE PROCEDURE statement of one of the template's stored queries.
QString CreaProcedura(const platform::jet::templatequeries::TemplateQuery &query)
{
    return QStringLiteral("CREATE PROCEDURE ") + QString::fromUtf8(query.name) + QStringLiteral(" AS PARAMETERS ")
        + QString::fromUtf8(query.parameters) + QStringLiteral("; ") + QString::fromUtf8(query.body);
}

// The catalogue's column `column` of table `table`, when both exist.
std::optional<platform::CatalogColumn> ColonnaCatalogo(const platform::Connection &c, const QString &table,
                                                      const QString &column)
{
    for (const platform::CatalogTable &t : platform::Catalog(c).tables()) {
        if (t.name() != table)
            continue;
        for (const platform::CatalogColumn &col : t.columns()) {
            if (col.name() == column)
                return col;
        }
    }
    return std::nullopt;
}

// A check that the column `column` of table `table` is missing.
Check ColonnaMancante(const QString &table, const QString &column)
{
    return [table, column](const platform::Connection &c) { return !ColonnaCatalogo(c, table, column); };
}

// Whether a read-only query returns a row.
bool HaRighe(const platform::Connection &c, const QString &sql)
{
    platform::Recordset rs;
    rs.open(sql, c, platform::CursorType::ForwardOnly, platform::LockType::ReadOnly);
    const bool found = !rs.isEOF();
    rs.close();
    return found;
}

// Adds one of the template's stored queries when the database lacks it.
void CreaSeManca(const platform::jet::templatequeries::TemplateQuery &query)
{
    const QString name = QString::fromUtf8(query.name);
    SeMancante(
        [name](const platform::Connection &c) {
            const QList<platform::CatalogProcedure> procedures = platform::Catalog(c).procedures();
            return std::none_of(procedures.begin(), procedures.end(), [&name](const platform::CatalogProcedure &p) {
                return p.name().compare(name, Qt::CaseInsensitive) == 0;
            });
        },
        CreaProcedura(query));
}

} // namespace

void AggiungiScortaMinima()
{
    SeMancante(ColonnaMancante(QStringLiteral("Articoli"), QStringLiteral("ScortaMinima")),
               QStringLiteral("ALTER TABLE Articoli ADD COLUMN ScortaMinima FLOAT DEFAULT 0"));
}

void AzzeraScortaMinima()
{
    SeNecessario(
        [](const platform::Connection &c) {
            return HaRighe(c, QStringLiteral("SELECT Codice FROM Articoli WHERE Articoli.ScortaMinima Is Null"));
        },
        [](platform::Connection &c) {
            c.execute(QStringLiteral("UPDATE Articoli SET Articoli.ScortaMinima = 0 WHERE Articoli.ScortaMinima Is Null"));
        });
}

void ConvertiCausali()
{
    SeNecessario(
        [](const platform::Connection &c) {
            return HaRighe(c, QStringLiteral("SELECT IdReg FROM MagazRegMain "
                                             "WHERE Causale='Carico iniziale' OR Causale='Rettifica'"));
        },
        [](platform::Connection &c) {
            c.execute(QStringLiteral("UPDATE MagazRegMain SET MagazRegMain.Causale = 'Scarico' "
                                     "WHERE (((MagazRegMain.Causale)='Rettifica'))"));
            c.execute(QStringLiteral("UPDATE MagazRegMain SET MagazRegMain.Causale = 'Carico' "
                                     "WHERE (((MagazRegMain.Causale)='Carico iniziale'))"));
        });
}

void AllargaDescrizione()
{
    SeNecessario(
        [](const platform::Connection &c) {
            const auto column = ColonnaCatalogo(c, QStringLiteral("Articoli"), QStringLiteral("Descrizione"));
            return column && column->definedSize() == 50;
        },
        [](platform::Connection &c) { c.execute(QStringLiteral("ALTER TABLE Articoli ALTER COLUMN Descrizione TEXT(255)")); });
}

// Older databases lack the two cost queries. They get the template's own
// definitions, so that an upgraded database values the stock exactly as a
// new one: the last load cost is the cost of the latest load line (by date,
// movement, line and row), never whichever line the engine meets last, and
// loads that net to no quantity give no average cost instead of dividing
// by zero. Both keep the parameter order d2 first.
void CreaQueryInventario()
{
    CreaSeManca(platform::jet::templatequeries::invCM);
    CreaSeManca(platform::jet::templatequeries::invCU);
}

void ConvertiQuantita()
{
    SeNecessario(
        [](const platform::Connection &c) {
            const auto column = ColonnaCatalogo(c, QStringLiteral("MagazRegDetail"), QStringLiteral("Quantità"));
            return column && column->type() == platform::DataType::adDouble;
        },
        [](platform::Connection &c) { c.execute(QStringLiteral("ALTER TABLE MagazRegDetail ALTER COLUMN Quantità CURRENCY")); });
}

void AggiungiUbicazione()
{
    SeMancante(ColonnaMancante(QStringLiteral("Articoli"), QStringLiteral("Ubicazione")),
               QStringLiteral("ALTER TABLE Articoli ADD COLUMN Ubicazione TEXT(50)"));
}

void ConsentiStringheVuote()
{
    platform::Connection connection(ConnString);
    const platform::Catalog catalog(connection);
    for (platform::CatalogTable table : catalog.tables()) {
        if (table.type() != QStringLiteral("TABLE"))
            continue;
        for (platform::CatalogColumn column : table.columns()) {
            if (column.type() == platform::DataType::adVarWChar || column.type() == platform::DataType::adLongVarWChar)
                column.setProperty(QStringLiteral("Jet OLEDB:Allow Zero Length"), platform::Variant(true));
        }
    }
    connection.close();
}

// The load lines with their dates and each article's stock per year, kept
// by triggers, make the last load cost at any date and the year's stock
// lookups. Databases made before them get them here, after the table
// rebuild above (which keeps triggers anyway).
void CreaTabelleGiacenze()
{
    platform::Connection connection(ConnString);
    platform::jet::templatequeries::installStockTables(connection);
    connection.close();
}

bool AggiornaDatabase()
{
    using Upgrade = void (*)();
    static constexpr Upgrade upgrades[] = {
        AggiungiScortaMinima, AzzeraScortaMinima,   ConvertiCausali,    AllargaDescrizione,
        CreaQueryInventario,  ConvertiQuantita,     AggiungiUbicazione, ConsentiStringheVuote,
        CreaTabelleGiacenze,
    };
    for (Upgrade upgrade : upgrades) {
        try {
            upgrade();
        } catch (const platform::RuntimeError &e) {
            // The failed upgrade has been rolled back. The ones after it are
            // left for the next start (they would meet the same lock or the
            // same read-only file); the start itself goes on unless the
            // database cannot be used at all: it does not open, or it
            // cannot be written, and every window writes to it.
            bool usable = false;
            try {
                platform::Connection connection(ConnString);
                usable = !connection.isReadOnly();
            } catch (const platform::RuntimeError &) {
                usable = false;
            }
            QString text = QStringLiteral("Aggiornamento del database non riuscito.\r\n") + e.description();
            if (!usable)
                text += QStringLiteral("\r\nL'applicazione non verrà avviata.");
            platform::desktop().msgBox(text, platform::vbCritical | platform::vbOKOnly, ApplicationTitle);
            return usable;
        }
    }
    return true;
}

} // namespace MainModule
