#pragma once

#include "platform/base/Variant.h"

#include <QLocale>
#include <QString>

#include <memory>

namespace platform {

// A format text in the run-time's Format() notation ("#,##0.00",
// "0;;\ ", "dd/mm/yy hh:mm", "Currency", ...), parsed once so that a grid
// column or a report field can render any number of values with it.
// Separators, day and month names come from the locale given to format();
// the format text itself always uses "." and "," and English names.
// Copies are cheap: they share the parsed form.
class ParsedFormat
{
public:
    // The empty format: values are shown as Variant::toString() shows them.
    ParsedFormat();
    explicit ParsedFormat(const QString &format);

    const QString &text() const;

    // The value rendered with this format. Never raises: Null comes out as
    // "" (or as the Null section of a number format), text that does not
    // fit the format comes out unchanged.
    QString format(const Variant &value, const QLocale &locale = QLocale()) const;

private:
    struct Data;
    std::shared_ptr<const Data> m_data;
};

// Format(value, format) in the given locale. Parsed formats are kept in a
// small per-thread cache keyed by the format text, so calling this for
// every cell of a grid parses each column's format once.
QString formatValue(const Variant &value, const QString &format, const QLocale &locale = QLocale());

} // namespace platform
