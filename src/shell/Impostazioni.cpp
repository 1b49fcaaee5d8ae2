// The settings that the main window reads once at start.

#include "shell/MainModule.h"

#include "common/comUtility.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"

#include <algorithm>
#include <optional>

using platform::Variant;

namespace MainModule {

namespace {

// The first column of the first row of a read-only query, Null when it
// returns no row.
Variant PrimoValore(const platform::Connection &connection, const QString &sql)
{
    platform::Recordset rs;
    rs.open(sql, connection, platform::CursorType::ForwardOnly, platform::LockType::ReadOnly);
    Variant value = rs.isEOF() ? Variant::null() : rs.value(0);
    rs.close();
    return value;
}

// Decimals read from a '_Pars' row: an empty or unreadable value counts as
// a missing row, and the count stays within what the database keeps (four
// decimals).
std::int16_t Decimali(const Variant &value, std::int16_t missing)
{
    return static_cast<std::int16_t>(std::clamp(comUtility::IntegerOrDefault(value, missing), 0, 4));
}

// Reads the decimals and the default codes from the database. A value that
// cannot be read keeps its default; answers the first error met, if any.
std::optional<platform::RuntimeError> LeggiDatabase()
{
    std::optional<platform::RuntimeError> failure;
    try {
        platform::Connection connection(ConnString);
        const auto read = [&](const QString &sql) {
            try {
                return PrimoValore(connection, sql);
            } catch (const platform::RuntimeError &e) {
                if (!failure)
                    failure = e;
                return Variant::null();
            }
        };
        const auto readText = [&](QString &target, const QString &sql) {
            const Variant value = read(sql);
            if (!value.isNull())
                target = value.toString();
        };
        NumDecQ = Decimali(read(QStringLiteral("SELECT l01 FROM _Pars WHERE k01='NumDecQ'")), 0);
        NumDecV = Decimali(read(QStringLiteral("SELECT l01 FROM _Pars WHERE k01='NumDecV'")), 2);
        readText(DefaultCodiceIVA, QStringLiteral("SELECT CodiceIVA FROM CodiciIVA WHERE CodiciIVA.Predefinito = True"));
        readText(DefaultUM, QStringLiteral("SELECT Codice FROM Liste WHERE Liste.Predefinito = True AND Chiave='um'"));
        readText(DefaultCategoria,
                 QStringLiteral("SELECT Descrizione FROM Liste WHERE Liste.Predefinito = True AND Chiave='cat'"));
        connection.close();
    } catch (const platform::RuntimeError &e) {
        NumDecQ = 0;
        NumDecV = 2;
        failure = e;
    }
    return failure;
}

} // namespace

std::array<std::int32_t, 8> CaricaImpostazioni()
{
    std::array<std::int32_t, 8> filterIdx{};
    for (int i = 0; i < 8; ++i)
        filterIdx[static_cast<std::size_t>(i)] = LeggiNumero(QStringLiteral("cursublay%1").arg(i, 2, 10, QChar(u'0')), 0);

    if (const std::optional<platform::RuntimeError> failure = LeggiDatabase()) {
        platform::desktop().msgBox(QStringLiteral("Impossibile leggere le impostazioni dal database: "
                                                  "verranno usati i valori predefiniti.\r\n")
                                       + failure->description(),
                                   platform::vbExclamation | platform::vbOKOnly, ApplicationTitle);
    }
    QtyFormat = FormatoNumero(NumDecQ);
    ValueFormat = FormatoNumero(NumDecV);
    return filterIdx;
}

} // namespace MainModule
