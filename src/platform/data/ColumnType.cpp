#include "platform/data/ColumnType.h"

#include <QStringList>

namespace platform {

namespace {

struct NamedType {
    const char *name;
    DataType type;
};

// Type names by their first word, in upper case.
constexpr NamedType namedTypes[] = {
    {"VARCHAR", DataType::adVarWChar},      {"NVARCHAR", DataType::adVarWChar},
    {"VARCHAR2", DataType::adVarWChar},     {"STRING", DataType::adVarWChar},
    {"CHARACTER", DataType::adWChar},       {"CHAR", DataType::adWChar},
    {"NCHAR", DataType::adWChar},           {"TEXT", DataType::adVarWChar},
    {"LONGTEXT", DataType::adLongVarWChar}, {"MEMO", DataType::adLongVarWChar},
    {"LONGCHAR", DataType::adLongVarWChar}, {"NOTE", DataType::adLongVarWChar},
    {"NTEXT", DataType::adLongVarWChar},    {"CLOB", DataType::adLongVarWChar},
    {"DOUBLE", DataType::adDouble},         {"FLOAT", DataType::adDouble},
    {"FLOAT8", DataType::adDouble},         {"REAL", DataType::adDouble},
    {"NUMBER", DataType::adDouble},         {"NUMERIC", DataType::adDouble},
    {"DECIMAL", DataType::adDouble},        {"IEEEDOUBLE", DataType::adDouble},
    {"SINGLE", DataType::adSingle},         {"FLOAT4", DataType::adSingle},
    {"IEEESINGLE", DataType::adSingle},     {"CURRENCY", DataType::adCurrency},
    {"MONEY", DataType::adCurrency},        {"INTEGER", DataType::adInteger},
    {"INT", DataType::adInteger},           {"LONG", DataType::adInteger},
    {"INTEGER4", DataType::adInteger},      {"COUNTER", DataType::adInteger},
    {"AUTOINCREMENT", DataType::adInteger}, {"SMALLINT", DataType::adSmallInt},
    {"SHORT", DataType::adSmallInt},        {"INTEGER2", DataType::adSmallInt},
    {"TINYINT", DataType::adSmallInt},      {"BYTE", DataType::adSmallInt},
    {"BIGINT", DataType::adBigInt},         {"INT8", DataType::adBigInt},
    {"DATETIME", DataType::adDate},         {"DATE", DataType::adDate},
    {"TIME", DataType::adDate},             {"TIMESTAMP", DataType::adDate},
    {"YESNO", DataType::adBoolean},         {"BIT", DataType::adBoolean},
    {"BOOLEAN", DataType::adBoolean},       {"BOOL", DataType::adBoolean},
    {"LOGICAL", DataType::adBoolean},       {"BLOB", DataType::adLongVarBinary},
    {"LONGBINARY", DataType::adLongVarBinary}, {"BINARY", DataType::adLongVarBinary},
    {"VARBINARY", DataType::adLongVarBinary},  {"IMAGE", DataType::adLongVarBinary},
    {"OLEOBJECT", DataType::adLongVarBinary},  {"GENERAL", DataType::adLongVarBinary},
};

// The engine's own rules for a name it does not know.
DataType byAffinity(const QString &upper)
{
    if (upper.contains(u"INT"))
        return DataType::adInteger;
    if (upper.contains(u"CHAR") || upper.contains(u"CLOB") || upper.contains(u"TEXT"))
        return DataType::adLongVarWChar;
    if (upper.contains(u"BLOB"))
        return DataType::adLongVarBinary;
    if (upper.contains(u"REAL") || upper.contains(u"FLOA") || upper.contains(u"DOUB"))
        return DataType::adDouble;
    return DataType::adVariant;
}

} // namespace

ColumnType ColumnType::fromDeclaredType(QStringView declared)
{
    const QString upper = declared.trimmed().toString().toUpper();
    if (upper.isEmpty())
        return ColumnType(DataType::adVariant, 0);

    // The words before any "(n)" and the first number inside it.
    const qsizetype paren = upper.indexOf(u'(');
    const QString words = (paren < 0 ? upper : upper.left(paren)).simplified();
    int size = -1;
    if (paren >= 0) {
        const qsizetype close = upper.indexOf(u')', paren);
        const QString inside = upper.mid(paren + 1, close < 0 ? -1 : close - paren - 1);
        bool ok = false;
        const int n = inside.section(u',', 0, 0).trimmed().toInt(&ok);
        if (ok && n > 0)
            size = n;
    }

    const QString first = words.section(u' ', 0, 0);
    DataType type = DataType::adVariant;
    bool known = false;
    for (const NamedType &t : namedTypes) {
        if (first == QLatin1String(t.name)) {
            type = t.type;
            known = true;
            break;
        }
    }
    if (!known)
        type = byAffinity(words);
    else if (words == u"CHARACTER VARYING" || words == u"NATIONAL CHARACTER VARYING")
        type = DataType::adVarWChar;
    else if (first == u"TEXT" && size < 0)
        type = DataType::adLongVarWChar; // TEXT without a size holds any length

    switch (type) {
    case DataType::adVarWChar:
    case DataType::adWChar:
        return ColumnType(type, size > 0 ? size : 255);
    case DataType::adLongVarWChar:
        return ColumnType(type, LongTextSize);
    case DataType::adLongVarBinary:
        return ColumnType(type, LongBinarySize);
    default:
        return ColumnType(type, naturalSize(type));
    }
}

int ColumnType::naturalSize(DataType type)
{
    switch (type) {
    case DataType::adSmallInt:
    case DataType::adBoolean:
        return 2;
    case DataType::adInteger:
    case DataType::adSingle:
        return 4;
    case DataType::adDouble:
    case DataType::adCurrency:
    case DataType::adDate:
    case DataType::adBigInt:
        return 8;
    case DataType::adVariant:
        return 16;
    case DataType::adLongVarWChar:
        return LongTextSize;
    case DataType::adLongVarBinary:
        return LongBinarySize;
    default:
        return 0;
    }
}

bool ColumnType::isText() const
{
    return m_type == DataType::adVarWChar || m_type == DataType::adWChar || m_type == DataType::adLongVarWChar;
}

bool ColumnType::isNumeric() const
{
    switch (m_type) {
    case DataType::adSmallInt:
    case DataType::adInteger:
    case DataType::adSingle:
    case DataType::adDouble:
    case DataType::adCurrency:
    case DataType::adBigInt:
        return true;
    default:
        return false;
    }
}

} // namespace platform
