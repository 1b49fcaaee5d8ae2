#include "platform/base/Format.h"

#include "platform/base/RuntimeError.h"

#include <QHash>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

namespace {

// ---------------------------------------------------------------------------
// Format text: sections and literal characters
// ---------------------------------------------------------------------------

// One character of a format section. Characters written after a backslash
// or between double quotes are literal: they never act as placeholders.
struct Atom {
    QChar ch;
    bool literal = false;
};
using Atoms = std::vector<Atom>;

// Splits the format at the ";" that are neither escaped nor quoted.
std::vector<Atoms> splitSections(const QString &format)
{
    std::vector<Atoms> sections(1);
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = format[i];
        if (c == u'\\') {
            if (i + 1 < n)
                sections.back().push_back({format[++i], true});
        } else if (c == u'"') {
            qsizetype end = format.indexOf(u'"', i + 1);
            if (end < 0)
                end = n;
            for (qsizetype j = i + 1; j < end; ++j)
                sections.back().push_back({format[j], true});
            i = end;
        } else if (c == u';') {
            sections.emplace_back();
        } else {
            sections.back().push_back({c, false});
        }
    }
    return sections;
}

// Length of the run of the same letter (any case, not literal) starting at i.
int runLength(const Atoms &atoms, size_t i)
{
    const QChar lc = atoms[i].ch.toLower();
    size_t j = i;
    while (j < atoms.size() && !atoms[j].literal && atoms[j].ch.toLower() == lc)
        ++j;
    return static_cast<int>(j - i);
}

// True when the atoms from i spell word (case-insensitive, none literal).
bool spells(const Atoms &atoms, size_t i, QStringView word)
{
    if (atoms.size() - i < static_cast<size_t>(word.size()))
        return false;
    for (qsizetype k = 0; k < word.size(); ++k) {
        const Atom &a = atoms[i + static_cast<size_t>(k)];
        if (a.literal || a.ch.toLower() != word[k])
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Decimal numbers
// ---------------------------------------------------------------------------

// A number as decimal digits, so that rounding at the displayed decimals
// works on the digits one sees (2.675 rounds to 2.68) and Currency amounts
// never pass through a double.
struct Decimal {
    std::string digits; // significant digits, no leading or trailing zeros; empty for 0
    int point = 0;      // the value is 0.<digits> times 10^point
    bool negative = false;

    bool isZero() const { return digits.empty(); }

    // The digit at position i counted from the first digit of 0.<digits>
    // (negative positions and positions past the end are zeros).
    char digitAt(int i) const
    {
        return i >= 0 && i < static_cast<int>(digits.size()) ? digits[static_cast<size_t>(i)] : '0';
    }

    void normalise()
    {
        const size_t first = digits.find_first_not_of('0');
        if (first == std::string::npos) {
            digits.clear();
            point = 0;
            return;
        }
        digits.erase(0, first);
        point -= static_cast<int>(first);
        digits.erase(digits.find_last_not_of('0') + 1);
    }

    // Rounds half away from zero to the given number of decimals.
    void roundTo(int decimals)
    {
        const int keep = point + decimals;
        if (keep >= static_cast<int>(digits.size()))
            return;
        if (keep < 0) {
            digits.clear();
            point = 0;
            return;
        }
        const bool up = digits[static_cast<size_t>(keep)] >= '5';
        digits.resize(static_cast<size_t>(keep));
        if (up) {
            int i = keep - 1;
            while (i >= 0 && digits[static_cast<size_t>(i)] == '9')
                digits[static_cast<size_t>(i--)] = '0';
            if (i < 0) {
                digits.insert(digits.begin(), '1');
                ++point;
            } else {
                ++digits[static_cast<size_t>(i)];
            }
        }
        normalise();
    }

    double toDouble() const
    {
        if (digits.empty())
            return 0.0;
        const std::string text = digits + 'e' + std::to_string(point - static_cast<int>(digits.size()));
        double d = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), d);
        return negative ? -d : d;
    }

    // An integer scaled by 10^-scale (a Currency's raw value has scale 4).
    static Decimal fromScaled(std::int64_t raw, int scale)
    {
        Decimal d;
        d.negative = raw < 0;
        const std::uint64_t mag = raw < 0 ? 0 - static_cast<std::uint64_t>(raw) : static_cast<std::uint64_t>(raw);
        d.digits = std::to_string(mag);
        d.point = static_cast<int>(d.digits.size()) - scale;
        d.normalise();
        return d;
    }

    // A finite double read to the given number of significant digits, the
    // precision the run-time shows (15 for a Double, 7 for a Single).
    static Decimal fromDouble(double value, int significant)
    {
        Decimal d;
        d.negative = value < 0;
        char buf[64];
        const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific,
                                       significant - 1);
        const char *p = buf;
        for (; p < res.ptr && *p != 'e'; ++p) {
            if (*p != '.')
                d.digits += *p;
        }
        int exponent = 0;
        if (p < res.ptr) {
            ++p;
            if (*p == '+')
                ++p;
            std::from_chars(p, res.ptr, exponent);
        }
        d.point = exponent + 1;
        d.normalise();
        return d;
    }
};

// The number a value stands for in a number format; nullopt for text that
// is not a number (and for values that have no number at all).
std::optional<Decimal> toDecimal(const Variant &value, const QLocale &locale)
{
    auto fromDouble = [](double d, int significant) -> std::optional<Decimal> {
        if (!std::isfinite(d))
            return std::nullopt;
        return Decimal::fromDouble(d, significant);
    };
    switch (value.type()) {
    case VarType::Empty: return Decimal();
    case VarType::Null: return std::nullopt;
    case VarType::Boolean: return Decimal::fromScaled(*value.get<bool>() ? -1 : 0, 0);
    case VarType::Integer: return Decimal::fromScaled(*value.get<std::int16_t>(), 0);
    case VarType::Long: return Decimal::fromScaled(*value.get<std::int32_t>(), 0);
    case VarType::Currency: return Decimal::fromScaled(value.get<Currency>()->raw(), 4);
    case VarType::Single: return fromDouble(static_cast<double>(*value.get<float>()), 7);
    case VarType::Double: return fromDouble(*value.get<double>(), 15);
    case VarType::Date: return fromDouble(value.get<DateTime>()->toSerial(), 15);
    case VarType::String:
        if (auto d = parseLocaleNumber(*value.get<QString>(), locale))
            return fromDouble(*d, 15);
        return std::nullopt;
    case VarType::ByteArray:
        if (auto d = parseLocaleNumber(QString::fromUtf8(*value.get<QByteArray>()), locale))
            return fromDouble(*d, 15);
        return std::nullopt;
    }
    return std::nullopt;
}

// What a value shows when the format does not apply to it: text as it is,
// anything else in its plain form.
QString asIs(const Variant &value, const QLocale &locale)
{
    if (value.isNull())
        return QString();
    return value.toString(locale);
}

// ---------------------------------------------------------------------------
// Number formats
// ---------------------------------------------------------------------------

struct NumItem {
    enum Kind : std::uint8_t { Literal, IntDigit, Point, FracDigit, ExpMark, ExpDigit, Percent };
    Kind kind;
    QChar ch; // the literal, the placeholder ('0' or '#') or the exponent letter
};

// One section of a number format ("#,##0.00", "(0)", "\ ").
struct NumSection {
    std::vector<NumItem> items;
    bool present = false;  // an empty section borrows the first one
    int intDigits = 0;     // digit placeholders before the point
    int intMinDigits = 0;  // digits always shown before the point (up to the leftmost '0')
    int fracDigits = 0;    // digit placeholders after the point
    QString fracPattern;   // those placeholders, to know which trailing zeros to drop
    int expDigits = 0;
    int expMinDigits = 0;
    int shift = 0;         // power of ten applied first: +2 per '%', -3 per scaling comma
    bool grouping = false;
    bool scientific = false;
    bool expPlus = false;  // "E+" always shows the exponent's sign, "E-" only a minus
};

NumSection parseNumberSection(const Atoms &atoms)
{
    NumSection s;
    s.present = !atoms.empty();
    enum { Int, Frac, Exp } zone = Int;
    bool seenIntDigit = false;
    // Commas after a digit placeholder, not yet known to group or to scale:
    // one between digit placeholders groups, those at the end of the
    // integer digits or of the decimals divide by a thousand each.
    int pendingCommas = 0;
    std::vector<bool> intZeros; // per integer placeholder: is it a '0'
    int expFirstZero = -1;      // index of the leftmost '0' among the exponent placeholders
    auto literal = [&](QChar c) { s.items.push_back({NumItem::Literal, c}); };
    auto commasScale = [&] {
        s.shift -= 3 * pendingCommas;
        pendingCommas = 0;
    };

    for (size_t i = 0; i < atoms.size(); ++i) {
        const Atom &a = atoms[i];
        if (a.literal) {
            literal(a.ch);
            continue;
        }
        const char16_t c = a.ch.unicode();
        switch (c) {
        case u'0':
        case u'#':
            if (zone == Int) {
                if (pendingCommas > 0) {
                    s.grouping = true; // a comma between digit placeholders
                    pendingCommas = 0;
                }
                s.items.push_back({NumItem::IntDigit, a.ch});
                intZeros.push_back(c == u'0');
                ++s.intDigits;
                seenIntDigit = true;
            } else if (zone == Frac) {
                pendingCommas = 0; // a comma among the decimals means nothing
                s.items.push_back({NumItem::FracDigit, a.ch});
                s.fracPattern += a.ch;
                ++s.fracDigits;
            } else {
                s.items.push_back({NumItem::ExpDigit, a.ch});
                if (c == u'0' && expFirstZero < 0)
                    expFirstZero = s.expDigits;
                ++s.expDigits;
            }
            break;
        case u'.':
            if (zone == Int) {
                commasScale();
                zone = Frac;
                s.items.push_back({NumItem::Point, a.ch});
            } else {
                literal(a.ch);
            }
            break;
        case u',':
            if (zone == Int && !seenIntDigit)
                literal(a.ch);
            else if (zone != Exp)
                ++pendingCommas;
            break;
        case u'%':
            s.shift += 2;
            s.items.push_back({NumItem::Percent, a.ch});
            break;
        case u'E':
        case u'e':
            if (zone != Exp && i + 1 < atoms.size() && !atoms[i + 1].literal
                && (atoms[i + 1].ch == u'+' || atoms[i + 1].ch == u'-')) {
                commasScale();
                zone = Exp;
                s.scientific = true;
                s.expPlus = atoms[i + 1].ch == u'+';
                s.items.push_back({NumItem::ExpMark, a.ch});
                ++i;
            } else {
                literal(a.ch);
            }
            break;
        default:
            literal(a.ch);
        }
    }
    commasScale();
    // The leftmost '0' fixes how many digits always show.
    if (expFirstZero >= 0)
        s.expMinDigits = s.expDigits - expFirstZero;
    for (size_t k = 0; k < intZeros.size(); ++k) {
        if (intZeros[k]) {
            s.intMinDigits = s.intDigits - static_cast<int>(k);
            break;
        }
    }
    return s;
}

struct NumberSymbols {
    QString decimal;
    QString group;
    QString percent;
};

// Renders the magnitude of d (its sign is the caller's business) with one
// section. Placeholders take the digits from the right; digits that do not
// fit go to the leftmost placeholder, so no digit is ever lost.
QString renderNumber(const NumSection &s, Decimal d, const NumberSymbols &sym)
{
    d.point += s.shift;
    int exponent = 0;
    if (s.scientific && !d.isZero()) {
        exponent = d.point - s.intDigits;
        d.point = s.intDigits;
        d.roundTo(s.fracDigits);
        if (d.point > s.intDigits) { // 9.99 rounded up to 10.0: one more in the exponent
            d.point = s.intDigits;
            ++exponent;
        }
    } else {
        d.roundTo(s.fracDigits);
    }

    // Integer digits, padded with zeros as far as the leftmost '0' asks.
    std::string intStr;
    for (int i = 0; i < d.point; ++i)
        intStr += d.digitAt(i);
    if (static_cast<int>(intStr.size()) < s.intMinDigits)
        intStr.insert(0, static_cast<size_t>(s.intMinDigits) - intStr.size(), '0');
    const int intLen = static_cast<int>(intStr.size());

    // Decimals: trailing zeros under '#' placeholders are not shown.
    int shownFrac = s.fracDigits;
    while (shownFrac > 0 && s.fracPattern[shownFrac - 1] == u'#' && d.digitAt(d.point + shownFrac - 1) == '0')
        --shownFrac;

    const std::string expStr = [&] {
        std::string e = std::to_string(exponent < 0 ? -exponent : exponent);
        if (static_cast<int>(e.size()) < s.expMinDigits)
            e.insert(0, static_cast<size_t>(s.expMinDigits) - e.size(), '0');
        if (exponent == 0 && s.expMinDigits == 0)
            e.clear();
        return e;
    }();
    const int expLen = static_cast<int>(expStr.size());

    QString out;
    out.reserve(static_cast<qsizetype>(s.items.size()) + intLen / 3 + 4);
    // The integer digit p places left of the point, with a group separator
    // after it when another group follows.
    auto emitIntDigit = [&](int p) {
        out += QLatin1Char(intStr[static_cast<size_t>(intLen - 1 - p)]);
        if (s.grouping && p > 0 && p % 3 == 0)
            out += sym.group;
    };
    int intIndex = 0;
    int fracIndex = 0;
    int expIndex = 0;
    for (const NumItem &item : s.items) {
        switch (item.kind) {
        case NumItem::Literal: out += item.ch; break;
        case NumItem::Percent: out += sym.percent; break;
        case NumItem::IntDigit: {
            const int p = s.intDigits - 1 - intIndex; // places left of the point
            if (intIndex == 0) {
                for (int q = intLen - 1; q > p; --q)
                    emitIntDigit(q);
            }
            if (p < intLen)
                emitIntDigit(p);
            ++intIndex;
            break;
        }
        case NumItem::Point:
            if (s.intDigits == 0) { // ".00": the integer digits still show
                for (int q = intLen - 1; q >= 0; --q)
                    emitIntDigit(q);
            }
            out += sym.decimal;
            break;
        case NumItem::FracDigit:
            if (fracIndex < shownFrac)
                out += QLatin1Char(d.digitAt(d.point + fracIndex));
            ++fracIndex;
            break;
        case NumItem::ExpMark:
            out += item.ch;
            if (exponent < 0)
                out += u'-';
            else if (s.expPlus)
                out += u'+';
            break;
        case NumItem::ExpDigit: {
            const int p = s.expDigits - 1 - expIndex;
            if (expIndex == 0) {
                for (int q = expLen - 1; q > p; --q)
                    out += QLatin1Char(expStr[static_cast<size_t>(expLen - 1 - q)]);
            }
            if (p < expLen)
                out += QLatin1Char(expStr[static_cast<size_t>(expLen - 1 - p)]);
            ++expIndex;
            break;
        }
        }
    }
    return out;
}

// Picks the section for the value: positive; negative; zero; Null. A
// negative value shown by its own section gets no minus sign (the section
// writes whatever it wants); shown by the first section it gets one. The
// sign and the zero test look at the value itself, before rounding.
QString formatNumberSections(const std::vector<NumSection> &sections, const Variant &value,
                             const QLocale &locale)
{
    const NumberSymbols sym{locale.decimalPoint(), locale.groupSeparator(), locale.percent()};
    if (value.isNull()) {
        if (sections.size() >= 4 && sections[3].present)
            return renderNumber(sections[3], Decimal(), sym);
        return QString();
    }
    std::optional<Decimal> d = toDecimal(value, locale);
    if (!d)
        return asIs(value, locale);

    const NumSection *section = &sections[0];
    bool minus = false;
    if (d->isZero()) {
        if (sections.size() >= 3 && sections[2].present)
            section = &sections[2];
    } else if (d->negative) {
        if (sections.size() >= 2 && sections[1].present)
            section = &sections[1];
        else
            minus = true;
    }
    d->negative = false;
    QString out = renderNumber(*section, std::move(*d), sym);
    if (minus)
        out.prepend(u'-');
    return out;
}

// ---------------------------------------------------------------------------
// Date formats
// ---------------------------------------------------------------------------

struct DateItem {
    enum Kind : std::uint8_t {
        Literal, DateSep, TimeSep,
        Day, Day2, DayAbbr, DayName, ShortDate, LongDate, Weekday, WeekOfYear,
        Month, Month2, MonthAbbr, MonthName, Quarter, DayOfYear, Year2, Year4,
        Hour, Hour2, Minute, Minute2, Second, Second2, LongTime, GeneralDate,
        AmPm, AmPmLower, AP, APLower, AmPmLocale
    };
    Kind kind;
    QChar ch; // the literal
};

struct DateFormat {
    std::vector<DateItem> items;
    bool twelveHour = false; // an AM/PM marker makes hours run 1 to 12
};

// Letters that make a format a date format.
bool isDateLetter(QChar c)
{
    switch (c.toLower().unicode()) {
    case u'd': case u'm': case u'y': case u'h': case u'n': case u's': case u'w': case u'q': case u'c':
        return true;
    default:
        return false;
    }
}

DateFormat parseDateFormat(const Atoms &atoms)
{
    DateFormat f;
    bool afterHour = false; // "m" right after "h" or "hh" (separators aside) means minutes
    auto add = [&](DateItem::Kind k) {
        f.items.push_back({k, QChar()});
        afterHour = k == DateItem::Hour || k == DateItem::Hour2;
    };
    for (size_t i = 0; i < atoms.size();) {
        const Atom &a = atoms[i];
        if (a.literal) {
            f.items.push_back({DateItem::Literal, a.ch});
            ++i;
            continue;
        }
        const int run = runLength(atoms, i);
        int used = 1;
        switch (a.ch.toLower().unicode()) {
        case u'd': {
            static constexpr DateItem::Kind kinds[] = {DateItem::Day, DateItem::Day2, DateItem::DayAbbr,
                                                       DateItem::DayName, DateItem::ShortDate, DateItem::LongDate};
            used = std::min(run, 6);
            add(kinds[used - 1]);
            break;
        }
        case u'm':
            if (run >= 3) {
                used = std::min(run, 4);
                add(used == 4 ? DateItem::MonthName : DateItem::MonthAbbr);
            } else {
                used = run;
                if (afterHour)
                    add(used == 2 ? DateItem::Minute2 : DateItem::Minute);
                else
                    add(used == 2 ? DateItem::Month2 : DateItem::Month);
            }
            break;
        case u'y':
            used = run >= 4 ? 4 : run >= 2 ? 2 : 1;
            add(used == 4 ? DateItem::Year4 : used == 2 ? DateItem::Year2 : DateItem::DayOfYear);
            break;
        case u'h':
            used = std::min(run, 2);
            add(used == 2 ? DateItem::Hour2 : DateItem::Hour);
            break;
        case u'n':
            used = std::min(run, 2);
            add(used == 2 ? DateItem::Minute2 : DateItem::Minute);
            break;
        case u's':
            used = std::min(run, 2);
            add(used == 2 ? DateItem::Second2 : DateItem::Second);
            break;
        case u'w':
            used = std::min(run, 2);
            add(used == 2 ? DateItem::WeekOfYear : DateItem::Weekday);
            break;
        case u'q': add(DateItem::Quarter); break;
        case u'c': add(DateItem::GeneralDate); break;
        case u't':
            if (run >= 5) {
                used = 5;
                add(DateItem::LongTime);
            } else {
                f.items.push_back({DateItem::Literal, a.ch});
            }
            break;
        case u'a':
            // "AM/PM" and "A/P" keep the case they are written in; "AMPM"
            // shows the locale's own texts.
            if (spells(atoms, i, u"am/pm")) {
                used = 5;
                add(a.ch == u'A' ? DateItem::AmPm : DateItem::AmPmLower);
                f.twelveHour = true;
            } else if (spells(atoms, i, u"a/p")) {
                used = 3;
                add(a.ch == u'A' ? DateItem::AP : DateItem::APLower);
                f.twelveHour = true;
            } else if (spells(atoms, i, u"ampm")) {
                used = 4;
                add(DateItem::AmPmLocale);
                f.twelveHour = true;
            } else {
                f.items.push_back({DateItem::Literal, a.ch});
            }
            break;
        case u'/': f.items.push_back({DateItem::DateSep, QChar()}); break;
        case u':': f.items.push_back({DateItem::TimeSep, QChar()}); break;
        default: f.items.push_back({DateItem::Literal, a.ch}); break;
        }
        i += static_cast<size_t>(used);
    }
    return f;
}

// The locale's short date with a four-digit year, as the run-time shows dates.
QString shortDateFormat(const QLocale &locale)
{
    QString fmt = locale.dateFormat(QLocale::ShortFormat);
    if (!fmt.contains(QStringLiteral("yyyy")))
        fmt.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return fmt;
}

// The locale's long time without the time zone, which our dates do not have.
QString longTimeFormat(const QLocale &locale)
{
    QString fmt = locale.timeFormat(QLocale::LongFormat);
    fmt.replace(QStringLiteral(" t"), QString());
    if (fmt.startsWith(QStringLiteral("t ")))
        fmt.remove(0, 2);
    return fmt.trimmed();
}

// The first separator the locale's short date (or time) format uses.
QString firstSeparator(const QString &fmt, QStringView candidates, QChar fallback)
{
    for (const QChar c : fmt) {
        if (candidates.contains(c))
            return QString(c);
    }
    return QString(fallback);
}

QString twoDigits(int n)
{
    return QString::number(n).rightJustified(2, u'0');
}

QString generalDate(const DateTime &dt, const QLocale &locale)
{
    // The day before the first of January 1900 with a time is a time alone.
    if (dt.hasTime() && dt.date() == QDate(1899, 12, 30))
        return locale.toString(dt.time(), longTimeFormat(locale));
    QString s = locale.toString(dt.date(), shortDateFormat(locale));
    if (dt.hasTime())
        s += u' ' + locale.toString(dt.time(), longTimeFormat(locale));
    return s;
}

QString renderDate(const DateFormat &f, const DateTime &dt, const QLocale &locale)
{
    const QDate date = dt.date();
    const QTime time = dt.time();
    const int hour = f.twelveHour ? (time.hour() % 12 == 0 ? 12 : time.hour() % 12) : time.hour();
    const bool am = time.hour() < 12;
    QString dateSep, timeSep; // looked up once, at their first use
    QString out;
    for (const DateItem &item : f.items) {
        switch (item.kind) {
        case DateItem::Literal: out += item.ch; break;
        case DateItem::DateSep:
            if (dateSep.isNull())
                dateSep = firstSeparator(locale.dateFormat(QLocale::ShortFormat), u"/-.", u'/');
            out += dateSep;
            break;
        case DateItem::TimeSep:
            if (timeSep.isNull())
                timeSep = firstSeparator(locale.timeFormat(QLocale::ShortFormat), u":.", u':');
            out += timeSep;
            break;
        case DateItem::Day: out += QString::number(date.day()); break;
        case DateItem::Day2: out += twoDigits(date.day()); break;
        case DateItem::DayAbbr: out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat); break;
        case DateItem::DayName: out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat); break;
        case DateItem::ShortDate: out += locale.toString(date, shortDateFormat(locale)); break;
        case DateItem::LongDate: out += locale.toString(date, locale.dateFormat(QLocale::LongFormat)); break;
        case DateItem::Weekday: out += QString::number(date.dayOfWeek() % 7 + 1); break; // Sunday is 1
        case DateItem::WeekOfYear: {
            // Weeks start on Sunday; the week holding 1 January is the first.
            const int jan1 = QDate(date.year(), 1, 1).dayOfWeek() % 7; // 0 = Sunday
            out += QString::number((date.dayOfYear() - 1 + jan1) / 7 + 1);
            break;
        }
        case DateItem::Month: out += QString::number(date.month()); break;
        case DateItem::Month2: out += twoDigits(date.month()); break;
        case DateItem::MonthAbbr: out += locale.monthName(date.month(), QLocale::ShortFormat); break;
        case DateItem::MonthName: out += locale.monthName(date.month(), QLocale::LongFormat); break;
        case DateItem::Quarter: out += QString::number((date.month() - 1) / 3 + 1); break;
        case DateItem::DayOfYear: out += QString::number(date.dayOfYear()); break;
        case DateItem::Year2: out += twoDigits(date.year() % 100); break;
        case DateItem::Year4: out += QString::number(date.year()); break;
        case DateItem::Hour: out += QString::number(hour); break;
        case DateItem::Hour2: out += twoDigits(hour); break;
        case DateItem::Minute: out += QString::number(time.minute()); break;
        case DateItem::Minute2: out += twoDigits(time.minute()); break;
        case DateItem::Second: out += QString::number(time.second()); break;
        case DateItem::Second2: out += twoDigits(time.second()); break;
        case DateItem::LongTime: out += locale.toString(time, longTimeFormat(locale)); break;
        case DateItem::GeneralDate: out += generalDate(dt, locale); break;
        case DateItem::AmPm: out += am ? QStringLiteral("AM") : QStringLiteral("PM"); break;
        case DateItem::AmPmLower: out += am ? QStringLiteral("am") : QStringLiteral("pm"); break;
        case DateItem::AP: out += am ? u'A' : u'P'; break;
        case DateItem::APLower: out += am ? u'a' : u'p'; break;
        case DateItem::AmPmLocale: out += am ? locale.amText() : locale.pmText(); break;
        }
    }
    return out;
}

// The date a value stands for: dates as they are, text read as a date (or
// else as a serial number), numbers as serial dates.
std::optional<DateTime> toDateTime(const Variant &value, const QLocale &locale)
{
    switch (value.type()) {
    case VarType::Date: return *value.get<DateTime>();
    case VarType::Null: return std::nullopt;
    case VarType::String:
    case VarType::ByteArray:
        try {
            return value.toDate(locale);
        } catch (const RuntimeError &) {
        }
        break;
    default: break;
    }
    if (std::optional<Decimal> d = toDecimal(value, locale)) {
        const DateTime dt = DateTime::fromSerial(d->toDouble());
        if (dt.isValid())
            return dt;
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------
// Text formats ("@", "&", "<", ">", "!")
// ---------------------------------------------------------------------------

struct TextSection {
    enum class Case : std::uint8_t { AsIs, Lower, Upper };
    std::vector<Atom> items; // literals, and placeholders '@' and '&' (not literal)
    int placeholders = 0;
    Case textCase = Case::AsIs;
    bool leftToRight = false;
    bool present = false;
};

TextSection parseTextSection(const Atoms &atoms)
{
    TextSection s;
    s.present = !atoms.empty();
    for (const Atom &a : atoms) {
        if (!a.literal && (a.ch == u'@' || a.ch == u'&')) {
            s.items.push_back(a);
            ++s.placeholders;
        } else if (!a.literal && a.ch == u'<') {
            s.textCase = TextSection::Case::Lower;
        } else if (!a.literal && a.ch == u'>') {
            s.textCase = TextSection::Case::Upper;
        } else if (!a.literal && a.ch == u'!') {
            s.leftToRight = true;
        } else {
            s.items.push_back({a.ch, true});
        }
    }
    return s;
}

// Placeholders take the characters from the right ("!": from the left);
// '@' shows a blank where no character is left, '&' shows nothing. The
// characters that do not fit go beside the outermost placeholder.
QString renderText(const TextSection &s, QString text)
{
    if (s.textCase == TextSection::Case::Lower)
        text = text.toLower();
    else if (s.textCase == TextSection::Case::Upper)
        text = text.toUpper();
    QString out;
    if (s.placeholders == 0) {
        for (const Atom &a : s.items)
            out += a.ch;
        return out + text;
    }
    const qsizetype len = text.size();
    const qsizetype extra = std::max<qsizetype>(0, len - s.placeholders);
    int k = 0; // placeholders seen, from the left
    for (const Atom &a : s.items) {
        if (a.literal) {
            out += a.ch;
            continue;
        }
        qsizetype pos; // index into text for this placeholder
        if (s.leftToRight) {
            pos = k;
        } else {
            if (k == 0)
                out += text.left(extra);
            pos = len - (s.placeholders - k);
        }
        if (pos >= 0 && pos < len)
            out += text[pos];
        else if (a.ch == u'@')
            out += u' ';
        ++k;
        if (s.leftToRight && k == s.placeholders)
            out += text.mid(s.placeholders);
    }
    return out;
}

// ---------------------------------------------------------------------------
// Named formats
// ---------------------------------------------------------------------------

enum class Named : std::uint8_t { None, GeneralNumber, Currency, YesNo, TrueFalse, OnOff };

struct NamedAlias {
    const char *name;
    Named named;
    const char *pattern; // a named format that is a user format in disguise
};

constexpr NamedAlias namedFormats[] = {
    {"General Number", Named::GeneralNumber, nullptr},
    {"Currency", Named::Currency, nullptr},
    {"Fixed", Named::None, "0.00"},
    {"Standard", Named::None, "#,##0.00"},
    {"Percent", Named::None, "0.00%"},
    {"Scientific", Named::None, "0.00E+00"},
    {"Yes/No", Named::YesNo, nullptr},
    {"True/False", Named::TrueFalse, nullptr},
    {"On/Off", Named::OnOff, nullptr},
    {"General Date", Named::None, "c"},
    {"Long Date", Named::None, "dddddd"},
    {"Medium Date", Named::None, "dd-mmm-yy"},
    {"Short Date", Named::None, "ddddd"},
    {"Long Time", Named::None, "ttttt"},
    {"Medium Time", Named::None, "hh:nn AM/PM"},
    {"Short Time", Named::None, "hh:nn"},
};

QString formatNamed(Named named, const Variant &value, const QLocale &locale)
{
    if (value.isNull())
        return QString();
    std::optional<Decimal> d = toDecimal(value, locale);
    if (!d)
        return asIs(value, locale);
    switch (named) {
    case Named::GeneralNumber:
        if (value.isNumber())
            return value.toString(locale);
        return formatNumber(d->toDouble(), locale);
    case Named::Currency:
        d->roundTo(2);
        return locale.toCurrencyString(d->toDouble(), QString(), 2);
    case Named::YesNo: return d->isZero() ? QStringLiteral("No") : QStringLiteral("Yes");
    case Named::TrueFalse: return d->isZero() ? QStringLiteral("False") : QStringLiteral("True");
    case Named::OnOff: return d->isZero() ? QStringLiteral("Off") : QStringLiteral("On");
    case Named::None: break;
    }
    return asIs(value, locale);
}

} // namespace

// ---------------------------------------------------------------------------
// ParsedFormat
// ---------------------------------------------------------------------------

struct ParsedFormat::Data {
    enum class Kind : std::uint8_t { Plain, Named, Number, Date, Text };
    QString text;
    Kind kind = Kind::Plain;
    Named named = Named::None;
    std::vector<NumSection> numbers;
    DateFormat date;
    std::vector<TextSection> texts;
};

ParsedFormat::ParsedFormat()
    : ParsedFormat(QString())
{
}

ParsedFormat::ParsedFormat(const QString &format)
{
    auto data = std::make_shared<Data>();
    data->text = format;
    QString pattern = format;
    for (const NamedAlias &alias : namedFormats) {
        if (format.compare(QLatin1String(alias.name), Qt::CaseInsensitive) == 0) {
            if (alias.pattern) {
                pattern = QLatin1String(alias.pattern);
            } else {
                data->kind = Data::Kind::Named;
                data->named = alias.named;
            }
            break;
        }
    }

    if (data->kind != Data::Kind::Named && !pattern.isEmpty()) {
        const std::vector<Atoms> sections = splitSections(pattern);
        // A date letter anywhere makes a date format; text placeholders
        // without digit placeholders make a text format; anything else
        // (literal-only sections included) is a number format.
        bool hasDate = false, hasDigit = false, hasText = false;
        for (const Atoms &section : sections) {
            for (size_t i = 0; i < section.size(); ++i) {
                const Atom &a = section[i];
                if (a.literal)
                    continue;
                if (isDateLetter(a.ch) || (a.ch.toLower() == u't' && runLength(section, i) >= 5))
                    hasDate = true;
                else if (a.ch == u'0' || a.ch == u'#')
                    hasDigit = true;
                else if (a.ch == u'@' || a.ch == u'&' || a.ch == u'<' || a.ch == u'>' || a.ch == u'!')
                    hasText = true;
            }
        }
        if (hasDate) {
            data->kind = Data::Kind::Date;
            data->date = parseDateFormat(sections.front());
        } else if (hasText && !hasDigit) {
            data->kind = Data::Kind::Text;
            for (size_t i = 0; i < sections.size() && i < 2; ++i)
                data->texts.push_back(parseTextSection(sections[i]));
        } else {
            data->kind = Data::Kind::Number;
            for (size_t i = 0; i < sections.size() && i < 4; ++i)
                data->numbers.push_back(parseNumberSection(sections[i]));
        }
    }
    m_data = std::move(data);
}

const QString &ParsedFormat::text() const
{
    return m_data->text;
}

QString ParsedFormat::format(const Variant &value, const QLocale &locale) const
{
    const Data &d = *m_data;
    switch (d.kind) {
    case Data::Kind::Plain:
        return asIs(value, locale);
    case Data::Kind::Named:
        return formatNamed(d.named, value, locale);
    case Data::Kind::Number:
        return formatNumberSections(d.numbers, value, locale);
    case Data::Kind::Date: {
        if (value.isNull())
            return QString();
        if (std::optional<DateTime> dt = toDateTime(value, locale))
            return renderDate(d.date, *dt, locale);
        return asIs(value, locale);
    }
    case Data::Kind::Text: {
        // The second section, when there is one, shows Null and empty text.
        const QString text = asIs(value, locale);
        if (text.isEmpty() && d.texts.size() >= 2 && d.texts[1].present)
            return renderText(d.texts[1], text);
        if (value.isNull())
            return QString();
        return renderText(d.texts[0], text);
    }
    }
    return asIs(value, locale);
}

namespace {

// Formats in use at once are few (one per grid column or report field), so
// the cache simply starts again when it grows past a handful of screens.
const ParsedFormat &cachedFormat(const QString &format)
{
    thread_local QHash<QString, ParsedFormat> cache;
    auto it = cache.constFind(format);
    if (it != cache.constEnd())
        return *it;
    if (cache.size() >= 256)
        cache.clear();
    return *cache.insert(format, ParsedFormat(format));
}

} // namespace

QString formatValue(const Variant &value, const QString &format, const QLocale &locale)
{
    if (format.isEmpty())
        return asIs(value, locale);
    return cachedFormat(format).format(value, locale);
}

} // namespace platform
