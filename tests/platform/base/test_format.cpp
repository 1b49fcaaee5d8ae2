// Format(): number, date, text and named formats in the Italian locale and
// in locales whose separators differ.
#include "ValueTestSupport.h"

#include "platform/base/Format.h"

#include <QLocale>

#include <cstdint>

using platform::Currency;
using platform::DateTime;
using platform::ParsedFormat;
using platform::Variant;
using platform::formatValue;
using valuetest::cur;

namespace {

const QLocale italian(QLocale::Italian, QLocale::Italy);
const QLocale english(QLocale::English, QLocale::UnitedStates);

QString fmt(const Variant &v, const char *format, const QLocale &locale = italian)
{
    return formatValue(v, QString::fromUtf8(format), locale);
}

// Tuesday 5 March 2024, 14:07:09.
const DateTime afternoon(2024, 3, 5, 14, 7, 9);

} // namespace

TEST(Format, DigitPlaceholdersGroupsAndSeparators)
{
    EXPECT_EQ(fmt(42, "000000"), "000042");
    EXPECT_EQ(fmt(1234567.8, "#,#"), "1.234.568");
    EXPECT_EQ(fmt(1234.5, "#,##0.00"), "1.234,50");
    EXPECT_EQ(fmt(0.0, "###,##0.00"), "0,00");
    EXPECT_EQ(fmt(2.5, "#,#.0000"), "2,5000");
    EXPECT_EQ(fmt(0.0, "#,#"), "");
    EXPECT_EQ(fmt(0.0, "#,#.00"), ",00");
    EXPECT_EQ(fmt(0.5, "#.##"), ",5");
    EXPECT_EQ(fmt(0.5, "0.##"), "0,5");
    // The decimal separator stays even when no decimal is left to show.
    EXPECT_EQ(fmt(5, "#.##"), "5,");
    // Digits that do not fit the placeholders are never dropped.
    EXPECT_EQ(fmt(12345, "00"), "12345");
    EXPECT_EQ(fmt(7, "0#"), "07");
    EXPECT_EQ(fmt(1234567890123.0, "#,##0"), "1.234.567.890.123");
    EXPECT_EQ(fmt(123456, "#,#"), "123.456");
    EXPECT_EQ(fmt(999, "#,#"), "999");
    EXPECT_EQ(fmt(1000, "0,000"), "1.000");
    // A Currency keeps all its digits: it never goes through a double.
    EXPECT_EQ(fmt(Currency::fromRaw(123456789012345678LL), "#,##0.0000"), "12.345.678.901.234,5678");
    EXPECT_EQ(fmt(-2147483647 - 1, "#,#"), "-2.147.483.648");
    EXPECT_EQ(fmt(0.0, "#,#.00", english), ".00");
    EXPECT_EQ(fmt(0.0, "#,#.00", QLocale::c()), ".00");
    EXPECT_EQ(fmt(1234567.891, "#,##0.00", english), "1,234,567.89");
    EXPECT_EQ(fmt(1234.5, "#,##0.00", QLocale(QLocale::German, QLocale::Germany)), "1.234,50");
    // Text is read as a number in the same locale.
    EXPECT_EQ(fmt("1234,5", "#,##0.00"), "1.234,50");
    EXPECT_EQ(fmt("1234.5", "#,##0.00", english), "1,234.50");
}

TEST(Format, RoundsHalfAwayFromZeroAtTheShownDecimals)
{
    EXPECT_EQ(fmt(2.5, "0"), "3");
    EXPECT_EQ(fmt(3.5, "0"), "4");
    EXPECT_EQ(fmt(-2.5, "0"), "-3");
    EXPECT_EQ(fmt(0.125, "0.00"), "0,13");
    // Decimal rounding of the value as written, not of its binary neighbour.
    EXPECT_EQ(fmt(2.675, "0.00"), "2,68");
    EXPECT_EQ(fmt(1.005, "0.00"), "1,01");
    EXPECT_EQ(fmt(cur("0.005"), "0.00"), "0,01");
    EXPECT_EQ(fmt(cur("-0.005"), "0.00"), "-0,01");
    // A carry runs through every digit and through the groups.
    EXPECT_EQ(fmt(9.995, "0.00"), "10,00");
    EXPECT_EQ(fmt(999999.5, "#,##0"), "1.000.000");
    EXPECT_EQ(fmt(0.4, "#"), "");
    EXPECT_EQ(fmt(0.5, "#"), "1");
    EXPECT_EQ(fmt(0.0004, "0.000"), "0,000");
    // A Single shows its own precision, not the noise of its double form.
    EXPECT_EQ(fmt(1.1f, "0.000000"), "1,100000");
}

TEST(Format, SectionsAndSigns)
{
    // One section puts the minus in front.
    EXPECT_EQ(fmt(-1234, "#,#"), "-1.234");
    EXPECT_EQ(fmt(-1234.5, "#,##0.00 \\€"), "-1.234,50 €");
    EXPECT_EQ(fmt(-5, "(0)"), "-(5)");
    // The sign is the value's own, taken before rounding.
    EXPECT_EQ(fmt(-0.2, "0"), "-0");
    EXPECT_EQ(fmt(-5, "#,#;#,#;0"), "5");
    EXPECT_EQ(fmt(0, "#,#;#,#;0"), "0");
    EXPECT_EQ(fmt(-3, "#;#;0"), "3");
    EXPECT_EQ(fmt(0, "#;#;0"), "0");
    EXPECT_EQ(fmt(-1.5, "0.00;(0.00)"), "(1,50)");
    EXPECT_EQ(fmt(-1234, "#,##0;#,##0-"), "1.234-");
    // Two sections: zero belongs to the first.
    EXPECT_EQ(fmt(0, "0.00;(0.00)"), "0,00");
    EXPECT_EQ(fmt(-5, "0;;\\Z\\e\\r\\o"), "-5");
    EXPECT_EQ(fmt(0, "0;;\\Z\\e\\r\\o"), "Zero");
    EXPECT_EQ(fmt(0, "0.00;(0.00);"), "0,00");
    EXPECT_EQ(fmt(0, "#,0.00;(#,0.00);;\"NA\""), "0,00");
    EXPECT_EQ(fmt(42, "00000;;\\ ;\\ "), "00042");
    EXPECT_EQ(fmt(-42, "00000;;\\ ;\\ "), "-00042");
    EXPECT_EQ(fmt(0, "00000;;\\ ;\\ "), " ");
    EXPECT_EQ(fmt(Variant::null(), "00000;;\\ ;\\ "), " ");
    EXPECT_EQ(fmt(Variant::null(), "#,0.00;(#,0.00);\"Zero\";\"NA\""), "NA");
    EXPECT_EQ(fmt(Variant::null(), "#,##0.00"), "");
    EXPECT_EQ(fmt(Variant::null(), "0;-0;\\Z"), "");
    // The zero section is for zero itself, not for what rounds to zero.
    EXPECT_EQ(fmt(0.2, "0;-0;\\Z"), "0");
    EXPECT_EQ(fmt(Variant(), "0;-0;\\Z"), "Z");
}

TEST(Format, LiteralsPercentScalingAndExponents)
{
    EXPECT_EQ(fmt(5, "\\#0"), "#5");
    EXPECT_EQ(fmt(1234, "\"Tot.; \"#,##0"), "Tot.; 1.234");
    EXPECT_EQ(fmt(12, "0 pz"), "12 pz");
    EXPECT_EQ(fmt(5551234567.0, "(###) ###-####"), "(555) 123-4567");
    EXPECT_EQ(fmt(1234567, "(###) ###-####"), "() 123-4567");
    EXPECT_EQ(fmt(5, "0\\%"), "5%");
    EXPECT_EQ(fmt(12345, "#\\,##0"), "12,345"); // an escaped comma neither groups nor turns into "."
    EXPECT_EQ(fmt(0.256, "0.0%"), "25,6%");
    EXPECT_EQ(fmt(1234567, "#,##0,"), "1.235");
    EXPECT_EQ(fmt(2500000, "0,,"), "3");
    EXPECT_EQ(fmt(1234567, "0.0,,\\M"), "1,2M");
    EXPECT_EQ(fmt(499, "0,"), "0");
    EXPECT_EQ(fmt(12345, "0.00E+00"), "1,23E+04");
    EXPECT_EQ(fmt(0.00012345, "0.00E+00"), "1,23E-04");
    EXPECT_EQ(fmt(12345, "0.00E-00"), "1,23E04");
    EXPECT_EQ(fmt(9.999, "0.00E+00"), "1,00E+01");
    EXPECT_EQ(fmt(-12345, "0.0e+0"), "-1,2e+4");
    EXPECT_EQ(fmt(1234.5, "Scientific", english), "1.23E+03");
}

TEST(Format, ValuesOfEveryKindTextFormatsAndTheEmptyFormat)
{
    EXPECT_EQ(fmt(Variant(), "0.00"), "0,00");
    EXPECT_EQ(fmt(Variant(), "#,#"), "");
    EXPECT_EQ(fmt("abc", "#,##0.00"), "abc");
    EXPECT_EQ(fmt("", "#,##0.00"), "");
    EXPECT_EQ(fmt(true, "0"), "-1");
    EXPECT_EQ(fmt(std::int16_t(-7), "000"), "-007");
    EXPECT_EQ(fmt(DateTime(2024, 3, 5), "0"), "45356");
    // Text formats.
    EXPECT_EQ(fmt("abc", ">"), "ABC");
    EXPECT_EQ(fmt("AbC", "<"), "abc");
    EXPECT_EQ(fmt("ab", "@@@@@"), "   ab");
    EXPECT_EQ(fmt("ab", "!@@@@@"), "ab   ");
    EXPECT_EQ(fmt("ab", "&&&&"), "ab");
    EXPECT_EQ(fmt("5551234567", "(@@@) @@@-@@@@"), "(555) 123-4567");
    EXPECT_EQ(fmt("abcdef", "@@@"), "abcdef");
    EXPECT_EQ(fmt(Variant::null(), "@;\"(vuoto)\""), "(vuoto)");
    EXPECT_EQ(fmt("", "@;\"(vuoto)\""), "(vuoto)");
    // The empty format is the plain conversion.
    EXPECT_EQ(fmt(1234.5, ""), "1234,5");
    EXPECT_EQ(fmt(1234.5, "", english), "1234.5");
    EXPECT_EQ(fmt(Variant::null(), ""), "");
    EXPECT_EQ(fmt(true, ""), "True");
    EXPECT_EQ(fmt(DateTime(2024, 3, 5), ""), "05/03/2024");
    EXPECT_EQ(ParsedFormat().format(42), "42");
}

TEST(Format, NamedFormats)
{
    // Currency uses the locale with two decimals.
    EXPECT_EQ(fmt(1234.5, "Currency"), italian.toCurrencyString(1234.5, QString(), 2));
    EXPECT_TRUE(fmt(1234.5, "Currency").startsWith(QStringLiteral("1.234,50")));
    EXPECT_TRUE(fmt(1234.5, "Currency").endsWith(QStringLiteral("€")));
    EXPECT_EQ(fmt(2.675, "Currency"), italian.toCurrencyString(2.68, QString(), 2));
    EXPECT_EQ(fmt(cur("-10.005"), "currency"), italian.toCurrencyString(-10.01, QString(), 2));
    EXPECT_EQ(fmt(1234.5, "Currency", english), "$1,234.50");
    EXPECT_EQ(fmt(Variant::null(), "Currency"), "");
    EXPECT_EQ(fmt("n.d.", "Currency"), "n.d.");
    EXPECT_EQ(fmt(1234.5, "Fixed"), "1234,50");
    EXPECT_EQ(fmt(0.5, "Fixed"), "0,50");
    EXPECT_EQ(fmt(-1234.567, "Standard"), "-1.234,57");
    EXPECT_EQ(fmt(1234.5, "Standard", english), "1,234.50");
    EXPECT_EQ(fmt(0.1234, "Percent"), "12,34%");
    EXPECT_EQ(fmt(1234.5, "General Number"), "1234,5");
    EXPECT_EQ(fmt("1234,50", "General Number"), "1234,5");
    EXPECT_EQ(fmt(0, "Yes/No"), "No");
    EXPECT_EQ(fmt(3, "Yes/No"), "Yes");
    EXPECT_EQ(fmt(true, "True/False"), "True");
    EXPECT_EQ(fmt(0.0, "On/Off"), "Off");
    EXPECT_EQ(fmt(Variant::null(), "Yes/No"), "");
    EXPECT_EQ(fmt(afternoon, "Short Date"), "05/03/2024");
    EXPECT_EQ(fmt(afternoon, "Long Date"), QStringLiteral("martedì 5 marzo 2024"));
    EXPECT_EQ(fmt(afternoon, "Medium Date"), "05-mar-24");
    EXPECT_EQ(fmt(afternoon, "Short Time"), "14:07");
    EXPECT_EQ(fmt(afternoon, "Medium Time"), "02:07 PM");
    EXPECT_EQ(fmt(afternoon, "Long Time"), "14:07:09");
    EXPECT_EQ(fmt(afternoon, "General Date"), "05/03/2024 14:07:09");
    EXPECT_EQ(fmt(DateTime(2024, 3, 5), "General Date"), "05/03/2024");
    EXPECT_EQ(fmt(DateTime(1899, 12, 30, 8, 30, 0), "General Date"), "08:30:00");
    EXPECT_EQ(fmt(afternoon, "Short Date", english), "3/5/2024");
}

TEST(Format, DateTokensClocksAndConversions)
{
    EXPECT_EQ(fmt(afternoon, "ddd d mmm yy"), "mar 5 mar 24");
    EXPECT_EQ(fmt(afternoon, "dd/mm/yy"), "05/03/24");
    EXPECT_EQ(fmt(afternoon, "dddd d mmmm yyyy"), QStringLiteral("martedì 5 marzo 2024"));
    EXPECT_EQ(fmt(afternoon, "DD/MM/YYYY"), "05/03/2024");
    EXPECT_EQ(fmt(DateTime(2024, 11, 9), "d/m/yy"), "9/11/24");
    EXPECT_EQ(fmt(afternoon, "ddd d mmm yy", english), "Tue 5 Mar 24");
    EXPECT_EQ(fmt(afternoon, "q"), "1");
    EXPECT_EQ(fmt(afternoon, "y"), "65");
    EXPECT_EQ(fmt(afternoon, "w"), "3");  // Sunday is 1
    EXPECT_EQ(fmt(afternoon, "ww"), "10"); // weeks begin on Sunday; 1 January is in week 1
    EXPECT_EQ(fmt(afternoon, "hh:mm"), "14:07");
    EXPECT_EQ(fmt(afternoon, "h:m:s"), "14:7:9");
    EXPECT_EQ(fmt(afternoon, "mm"), "03");
    EXPECT_EQ(fmt(afternoon, "hh:nn:ss"), "14:07:09");
    EXPECT_EQ(fmt(afternoon, "dd/mm/yyyy hh:mm"), "05/03/2024 14:07");
    EXPECT_EQ(fmt(afternoon, "hh:mm dd/mm"), "14:07 05/03");
    EXPECT_EQ(fmt(afternoon, "hh mmm"), "14 mar"); // a month name is always the month
    EXPECT_EQ(fmt(afternoon, "hh:nn AM/PM"), "02:07 PM");
    EXPECT_EQ(fmt(afternoon, "h:nn am/pm"), "2:07 pm");
    EXPECT_EQ(fmt(DateTime(2024, 3, 5, 0, 5, 0), "h:nn A/P"), "12:05 A");
    EXPECT_EQ(fmt(DateTime(2024, 3, 5, 12, 0, 0), "h a/p"), "12 p");
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(fmt(afternoon, "dd/mm/yy", german), "05.03.24");
    EXPECT_EQ(fmt(afternoon, "dd\\/mm", german), "05/03");
    EXPECT_EQ(fmt(afternoon, "\"Data:\" dd-mm"), "Data: 05-03");
    EXPECT_EQ(fmt("05/03/2024", "dd mmm yyyy"), "05 mar 2024");
    EXPECT_EQ(fmt("2024-03-05 14:07", "dd/mm/yy hh:mm"), "05/03/24 14:07");
    EXPECT_EQ(fmt(45356, "dd/mm/yy"), "05/03/24");
    EXPECT_EQ(fmt(45356.5, "dd/mm/yy hh:nn"), "05/03/24 12:00");
    EXPECT_EQ(fmt("abc", "dd/mm/yy"), "abc");
    EXPECT_EQ(fmt(Variant::null(), "dd/mm/yy"), "");
    EXPECT_EQ(fmt(1e12, "dd/mm/yy"), "1000000000000");
}

TEST(Format, ParsedFormatServesAnyLocaleAndAgreesWithFormatValue)
{
    const ParsedFormat parsed(QStringLiteral("#,##0.00;(#,##0.00)"));
    const ParsedFormat copy = parsed;
    EXPECT_EQ(parsed.format(-1234.5, italian), "(1.234,50)");
    EXPECT_EQ(copy.format(-1234.5, english), "(1,234.50)");
    EXPECT_EQ(parsed.format(1234.5), fmt(1234.5, "#,##0.00;(#,##0.00)"));
    // More formats than the cache holds: old entries go, answers stay right.
    for (int i = 1; i <= 600; ++i) {
        const QString format = QString(i % 7 + 1, u'0') + u'.' + QString(i % 5, u'0');
        const QString expected = ParsedFormat(format).format(i);
        ASSERT_EQ(formatValue(i, format), expected) << format.toStdString();
    }
    EXPECT_EQ(fmt(42, "0000000.00"), "0000042,00");
}
