#include "platform/registry/RegistryCodec.h"

#include "platform/registry/RegistryTypes.h"

#include <optional>

namespace platform::reg {

namespace {

const char UpperHex[] = "0123456789ABCDEF";
const char LowerHex[] = "0123456789abcdef";

bool isPlainNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Hex digits only (1 to maxDigits of them), as an unsigned number.
std::optional<std::uint32_t> parseHex(QStringView text, qsizetype maxDigits)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return std::nullopt;
    std::uint32_t value = 0;
    for (QChar c : text) {
        const int d = hexValue(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return value;
}

// Data that a "sz:" text keeps exactly: valid UTF-8, one closing zero and no
// other zero byte.
std::optional<QString> plainText(const QByteArray &data)
{
    if (data.isEmpty() || data.back() != '\0')
        return std::nullopt;
    const QByteArray body = data.first(data.size() - 1);
    if (body.contains('\0'))
        return std::nullopt;
    QString text = QString::fromUtf8(body);
    if (text.toUtf8() != body)
        return std::nullopt;
    return text;
}

// "hex(<type>):<aa,bb,...>"; false when the text is not well formed.
bool decodeHexForm(QStringView stored, std::int32_t &type, QByteArray &data)
{
    const qsizetype close = stored.indexOf(u"):");
    if (close < 0)
        return false;
    const auto t = parseHex(stored.sliced(4, close - 4), 8);
    if (!t)
        return false;
    const QStringView bytes = stored.sliced(close + 2);
    QByteArray out;
    if (!bytes.isEmpty()) {
        // "aa,bb,cc": two digits per byte, one comma between bytes.
        if ((bytes.size() + 1) % 3 != 0)
            return false;
        out.reserve((bytes.size() + 1) / 3);
        for (qsizetype i = 0; i < bytes.size(); i += 3) {
            if (i + 2 < bytes.size() && bytes.at(i + 2) != u',')
                return false;
            const auto b = parseHex(bytes.sliced(i, 2), 2);
            if (!b)
                return false;
            out.append(static_cast<char>(*b));
        }
    }
    type = static_cast<std::int32_t>(*t);
    data = out;
    return true;
}

} // namespace

QString encodeName(const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    QString out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        if (isPlainNameChar(c)) {
            out += QLatin1Char(c);
        } else {
            const auto b = static_cast<unsigned char>(c);
            out += QLatin1Char('_');
            out += QLatin1Char(UpperHex[b >> 4]);
            out += QLatin1Char(UpperHex[b & 0x0F]);
        }
    }
    return out;
}

QString decodeName(const QString &stored)
{
    QByteArray utf8;
    utf8.reserve(stored.size());
    qsizetype plainStart = 0; // start of the run of characters taken as they are
    qsizetype i = 0;
    while (i < stored.size()) {
        if (stored.at(i) == u'_' && i + 2 < stored.size() && hexValue(stored.at(i + 1)) >= 0
            && hexValue(stored.at(i + 2)) >= 0) {
            utf8 += QStringView(stored).sliced(plainStart, i - plainStart).toUtf8();
            utf8.append(static_cast<char>(hexValue(stored.at(i + 1)) * 16 + hexValue(stored.at(i + 2))));
            i += 3;
            plainStart = i;
        } else {
            ++i;
        }
    }
    utf8 += QStringView(stored).sliced(plainStart).toUtf8();
    return QString::fromUtf8(utf8);
}

QString encodeData(std::int32_t type, const QByteArray &data)
{
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        if (const auto text = plainText(data))
            return (type == REG_SZ ? QStringLiteral("sz:") : QStringLiteral("expandsz:")) + *text;
    }
    if (type == REG_DWORD && data.size() == 4) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(data.at(i));
        return QStringLiteral("dword:%1").arg(v, 8, 16, QLatin1Char('0'));
    }
    QString out = QStringLiteral("hex(%1):").arg(static_cast<std::uint32_t>(type), 0, 16);
    out.reserve(out.size() + data.size() * 3);
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (i > 0)
            out += QLatin1Char(',');
        const auto b = static_cast<unsigned char>(data.at(i));
        out += QLatin1Char(LowerHex[b >> 4]);
        out += QLatin1Char(LowerHex[b & 0x0F]);
    }
    return out;
}

bool decodeData(const QString &stored, std::int32_t &type, QByteArray &data)
{
    if (stored.startsWith(u"sz:")) {
        type = REG_SZ;
        data = QStringView(stored).sliced(3).toUtf8();
        data.append('\0');
        return true;
    }
    if (stored.startsWith(u"expandsz:")) {
        type = REG_EXPAND_SZ;
        data = QStringView(stored).sliced(9).toUtf8();
        data.append('\0');
        return true;
    }
    if (stored.startsWith(u"dword:")) {
        const auto v = parseHex(QStringView(stored).sliced(6), 8);
        if (!v)
            return false;
        type = REG_DWORD;
        data.resize(4);
        for (int i = 0; i < 4; ++i)
            data[i] = static_cast<char>((*v >> (8 * i)) & 0xFF);
        return true;
    }
    if (stored.startsWith(u"hex("))
        return decodeHexForm(stored, type, data);
    type = REG_SZ;
    data = stored.toUtf8();
    data.append('\0');
    return true;
}

} // namespace platform::reg
