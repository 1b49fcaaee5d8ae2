#pragma once

#include "platform/base/DateTime.h"
#include "platform/base/Variant.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <memory>

namespace platform {
class Connection;
class Recordset;
} // namespace platform

// The data of the stock reports (movement journal, inventory, articles
// below their minimum stock): the SQL of each, with the period and the
// filters of the dialog bound as parameters, so that a category or a name
// holding an apostrophe filters like any other.
namespace StampeMagazzino {

// The counterpart filter, by the position in the dialog's list: all, the
// customers', the suppliers' or the deposit movements, or those of one
// counterpart (its IdCliFor).
enum class Contropartita { Tutte, Clienti, Fornitori, Deposito, Una };

// What the journal and the inventory are narrowed to: the movements from
// the first day to the last, the last day whole whatever the time of day a
// movement carries.
struct Filtro {
    platform::DateTime dal;
    platform::DateTime al;
    Contropartita contropartita = Contropartita::Tutte;
    std::int32_t idContropartita = 0;
    QString categoria; // empty: every category
    QString articolo;  // empty: every article
};

// The inventory's grouping, as the dialog's list offers it.
enum class Raggruppamento { Nessuno, Categoria, Contropartita, ContropartitaCategoria };

// A statement and the values of its parameters, in declaration order.
struct Query {
    QString sql;
    QList<platform::Variant> parametri;
};

// Every movement line of the period that passes the filters, with its
// movement's date, number, causale and counterpart, the article's data, the
// signed quantity Q, the unit Costo and the value V (at the line's cost, or
// at its price with `prezzo`), ordered by number, movement and line.
Query Giornale(const Filtro &filtro, bool prezzo);

// Per article (and per counterpart and category when grouped) the stock Q
// over the period, the cost C (the last load cost up to the last date, as
// invCU gives it, or the average load cost of the period from invCM) and
// the value V = Q x C; C and V are Null for an article without a cost.
Query Inventario(const Filtro &filtro, Raggruppamento raggruppamento, bool costoMedio);

// The articles whose minimum stock is above their stock over the period
// (its last day whole).
Query Sottoscorta(const platform::DateTime &dal, const platform::DateTime &al);

// A number format of the settings ("#,#" and its decimals) as the reports
// print it: with a digit before the decimal separator, so that 0.5 reads
// "0,50" and zero "0,00" rather than ",50" and ",00".
QString FormatoStampa(const QString &formatoImpostazioni);

// Runs a query on the connection into a read-only recordset.
std::unique_ptr<platform::Recordset> Esegui(platform::Connection &connection, const Query &query);

} // namespace StampeMagazzino
