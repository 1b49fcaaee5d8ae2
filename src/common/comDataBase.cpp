#include "common/comDataBase.h"

#include "platform/base/RuntimeError.h"

namespace comDataBase {

QString SqlDate(const platform::DateTime &date)
{
    if (!date.isValid())
        throw platform::RuntimeError(platform::err::InvalidProcedureCall);
    // Built from the numbers, not through a locale, so that the slashes and
    // the order are always the ones the SQL dialect expects.
    return QStringLiteral("#%1/%2/%3#")
        .arg(date.month(), 2, 10, QChar(u'0'))
        .arg(date.day(), 2, 10, QChar(u'0'))
        .arg(date.year(), 4, 10, QChar(u'0'));
}

QString SqlEndOfDay(const platform::DateTime &date)
{
    return SqlDate(date).chopped(1) + QStringLiteral(" 23:59:59#");
}

} // namespace comDataBase
