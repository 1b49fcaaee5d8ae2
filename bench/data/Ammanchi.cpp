#include "Ammanchi.h"

#include "DirectQuery.h"

#include "platform/base/DateTime.h"
#include "platform/base/Variant.h"

#include <sqlite3.h>

using platform::DateTime;
using platform::Variant;

void ColmaAmmanchi(const QString &path, int year)
{
    DirectQuery d(path);
    d.exec("BEGIN IMMEDIATE");
    d.run(QStringLiteral("INSERT INTO MagazRegMain (DataIns, Progressivo, Descrizione, Causale, TipoContropartita) "
                         "VALUES (:d, 0, 'Rettifica inventario', 'Carico', 'Deposito')"),
          {QStringLiteral("d")}, {DateTime(year, 1, 1)});
    const Variant id = Variant::fromInt64(sqlite3_last_insert_rowid(d.handle()));
    d.run(QStringLiteral("INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo) "
                         "SELECT :id, 10, D.CodiceArticolo, -Sum(D.\"Quantità\" * D.Segno), 1, 1 "
                         "FROM MagazRegMain AS M JOIN MagazRegDetail AS D ON M.IdReg = D.IdReg "
                         "WHERE M.DataIns >= :a AND M.DataIns < :b GROUP BY D.CodiceArticolo "
                         "HAVING Sum(D.\"Quantità\" * D.Segno) < 0"),
          {QStringLiteral("id"), QStringLiteral("a"), QStringLiteral("b")},
          {id, DateTime(year, 1, 1), DateTime(year + 1, 1, 1)});
    d.exec("COMMIT");
}
