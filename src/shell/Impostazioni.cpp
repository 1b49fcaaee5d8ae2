// The settings that the main window reads once at start.

#include "shell/MainModule.h"

#include "common/comRegistry.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"

#include <algorithm>

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
    if (value.isNull() || value.isEmpty() || !value.isNumeric())
        return missing;
    return static_cast<std::int16_t>(std::clamp(value.toInt32(), 0, 4));
}

} // namespace

std::array<std::int32_t, 8> CaricaImpostazioni()
{
    std::array<std::int32_t, 8> filterIdx{};
    comRegistry reg;
    reg.setClassKey(comRegistry::HKEY_CURRENT_USER);
    reg.setSectionKey(SettingsKey);
    reg.setValueType(comRegistry::REG_DWORD);
    reg.setDefault(Variant(std::int32_t(0)));
    for (int i = 0; i < 8; ++i) {
        reg.setValueKey(QStringLiteral("cursublay%1").arg(i, 2, 10, QChar(u'0')));
        const Variant v = reg.Value();
        filterIdx[static_cast<std::size_t>(i)] = v.isNumeric() ? v.toInt32() : 0;
    }

    platform::Connection connection(ConnString);
    NumDecQ = Decimali(PrimoValore(connection, QStringLiteral("SELECT l01 FROM _Pars WHERE k01='NumDecQ'")), 0);
    NumDecV = Decimali(PrimoValore(connection, QStringLiteral("SELECT l01 FROM _Pars WHERE k01='NumDecV'")), 2);
    const Variant iva = PrimoValore(connection, QStringLiteral("SELECT CodiceIVA FROM CodiciIVA WHERE CodiciIVA.Predefinito = True"));
    if (!iva.isNull())
        DefaultCodiceIVA = iva.toString();
    const Variant um = PrimoValore(connection, QStringLiteral("SELECT Codice FROM Liste WHERE Liste.Predefinito = True AND Chiave='um'"));
    if (!um.isNull())
        DefaultUM = um.toString();
    const Variant cat = PrimoValore(connection, QStringLiteral("SELECT Descrizione FROM Liste WHERE Liste.Predefinito = True AND Chiave='cat'"));
    if (!cat.isNull())
        DefaultCategoria = cat.toString();
    connection.close();

    QtyFormat = FormatoNumero(NumDecQ);
    ValueFormat = FormatoNumero(NumDecV);
    return filterIdx;
}

} // namespace MainModule
