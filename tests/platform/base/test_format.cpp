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
const QLocale german(QLocale::German, QLocale::Germany);

QString fmt(const Variant &v, const char *format, const QLocale &locale = italian)
{
    return formatValue(v, QString::fromUtf8(format), locale);
}

// A value, a format and what Format() makes of them (in Italian unless told).
struct Case {
    Variant value;
    const char *format;
    const char *expected;
    QLocale locale = italian;
};

void expectFormats(std::initializer_list<Case> cases)
{
    for (const Case &c : cases)
        EXPECT_EQ(fmt(c.value, c.format, c.locale), QString::fromUtf8(c.expected))
            << c.value.debugString().toStdString() << " as " << c.format << " in " << c.locale.name().toStdString();
}

// Tuesday 5 March 2024, 14:07:09.
const DateTime afternoon(2024, 3, 5, 14, 7, 9);

} // namespace

TEST(Format, DigitPlaceholdersGroupsSeparatorsAndRoundingHalfAwayFromZero)
{
    expectFormats({
        {42, "000000", "000042"}, {1234567.8, "#,#", "1.234.568"}, {1234.5, "#,##0.00", "1.234,50"},
        {0.0, "###,##0.00", "0,00"}, {2.5, "#,#.0000", "2,5000"}, {0.0, "#,#", ""}, {0.0, "#,#.00", ",00"},
        {0.5, "#.##", ",5"}, {0.5, "0.##", "0,5"},
        // The decimal separator stays even when no decimal is left to show.
        {5, "#.##", "5,"},
        // Digits that do not fit the placeholders are never dropped.
        {12345, "00", "12345"}, {7, "0#", "07"}, {1234567890123.0, "#,##0", "1.234.567.890.123"},
        {123456, "#,#", "123.456"}, {999, "#,#", "999"}, {1000, "0,000", "1.000"},
        // A Currency keeps all its digits: it never goes through a double.
        {Currency::fromRaw(123456789012345678LL), "#,##0.0000", "12.345.678.901.234,5678"},
        {-2147483647 - 1, "#,#", "-2.147.483.648"},
        {0.0, "#,#.00", ".00", english}, {0.0, "#,#.00", ".00", QLocale::c()},
        {1234567.891, "#,##0.00", "1,234,567.89", english}, {1234.5, "#,##0.00", "1.234,50", german},
        // Text is read as a number in the same locale.
        {"1234,5", "#,##0.00", "1.234,50"}, {"1234.5", "#,##0.00", "1,234.50", english},
        // Half away from zero at the shown decimals.
        {2.5, "0", "3"}, {3.5, "0", "4"}, {-2.5, "0", "-3"}, {0.125, "0.00", "0,13"},
        // Decimal rounding of the value as written, not of its binary neighbour.
        {2.675, "0.00", "2,68"}, {1.005, "0.00", "1,01"}, {cur("0.005"), "0.00", "0,01"}, {cur("-0.005"), "0.00", "-0,01"},
        // A carry runs through every digit and through the groups.
        {9.995, "0.00", "10,00"}, {999999.5, "#,##0", "1.000.000"}, {0.4, "#", ""}, {0.5, "#", "1"},
        {0.0004, "0.000", "0,000"},
        // A Single shows its own precision, not the noise of its double form.
        {1.1f, "0.000000", "1,100000"},
    });
}

TEST(Format, SectionsSignsLiteralsPercentScalingAndExponents)
{
    expectFormats({
        // One section puts the minus in front.
        {-1234, "#,#", "-1.234"}, {-1234.5, "#,##0.00 \\€", "-1.234,50 €"}, {-5, "(0)", "-(5)"},
        // The sign is the value's own, taken before rounding.
        {-0.2, "0", "-0"}, {-5, "#,#;#,#;0", "5"}, {0, "#,#;#,#;0", "0"}, {-3, "#;#;0", "3"}, {0, "#;#;0", "0"},
        {-1.5, "0.00;(0.00)", "(1,50)"}, {-1234, "#,##0;#,##0-", "1.234-"},
        // Two sections: zero belongs to the first.
        {0, "0.00;(0.00)", "0,00"}, {-5, "0;;\\Z\\e\\r\\o", "-5"}, {0, "0;;\\Z\\e\\r\\o", "Zero"},
        {0, "0.00;(0.00);", "0,00"}, {0, "#,0.00;(#,0.00);;\"NA\"", "0,00"},
        {42, "00000;;\\ ;\\ ", "00042"}, {-42, "00000;;\\ ;\\ ", "-00042"}, {0, "00000;;\\ ;\\ ", " "},
        {Variant::null(), "00000;;\\ ;\\ ", " "}, {Variant::null(), "#,0.00;(#,0.00);\"Zero\";\"NA\"", "NA"},
        {Variant::null(), "#,##0.00", ""}, {Variant::null(), "0;-0;\\Z", ""},
        // The zero section is for zero itself, not for what rounds to zero.
        {0.2, "0;-0;\\Z", "0"}, {Variant(), "0;-0;\\Z", "Z"},
        // Literals, percent, scaling by thousands and exponents.
        {5, "\\#0", "#5"}, {1234, "\"Tot.; \"#,##0", "Tot.; 1.234"}, {12, "0 pz", "12 pz"},
        {5551234567.0, "(###) ###-####", "(555) 123-4567"}, {1234567, "(###) ###-####", "() 123-4567"},
        {5, "0\\%", "5%"},
        // An escaped comma neither groups nor turns into ".".
        {12345, "#\\,##0", "12,345"},
        {0.256, "0.0%", "25,6%"}, {1234567, "#,##0,", "1.235"}, {2500000, "0,,", "3"},
        {1234567, "0.0,,\\M", "1,2M"}, {499, "0,", "0"},
        {12345, "0.00E+00", "1,23E+04"}, {0.00012345, "0.00E+00", "1,23E-04"}, {12345, "0.00E-00", "1,23E04"},
        {9.999, "0.00E+00", "1,00E+01"}, {-12345, "0.0e+0", "-1,2e+4"}, {1234.5, "Scientific", "1.23E+03", english},
    });
}

TEST(Format, ValuesOfEveryKindTextFormatsAndTheEmptyFormat)
{
    expectFormats({
        {Variant(), "0.00", "0,00"}, {Variant(), "#,#", ""}, {"abc", "#,##0.00", "abc"}, {"", "#,##0.00", ""},
        {true, "0", "-1"}, {std::int16_t(-7), "000", "-007"}, {DateTime(2024, 3, 5), "0", "45356"},
        // Text formats.
        {"abc", ">", "ABC"}, {"AbC", "<", "abc"}, {"ab", "@@@@@", "   ab"}, {"ab", "!@@@@@", "ab   "},
        {"ab", "&&&&", "ab"}, {"5551234567", "(@@@) @@@-@@@@", "(555) 123-4567"}, {"abcdef", "@@@", "abcdef"},
        {Variant::null(), "@;\"(vuoto)\"", "(vuoto)"}, {"", "@;\"(vuoto)\"", "(vuoto)"},
        // The empty format is the plain conversion.
        {1234.5, "", "1234,5"}, {1234.5, "", "1234.5", english}, {Variant::null(), "", ""}, {true, "", "True"},
        {DateTime(2024, 3, 5), "", "05/03/2024"},
    });
    EXPECT_EQ(ParsedFormat().format(42), "42");
}

TEST(Format, NamedFormatsDateTokensClocksAndConversions)
{
    // Currency uses the locale with two decimals.
    EXPECT_EQ(fmt(1234.5, "Currency"), italian.toCurrencyString(1234.5, QString(), 2));
    EXPECT_TRUE(fmt(1234.5, "Currency").startsWith(QStringLiteral("1.234,50")));
    EXPECT_TRUE(fmt(1234.5, "Currency").endsWith(QStringLiteral("€")));
    EXPECT_EQ(fmt(2.675, "Currency"), italian.toCurrencyString(2.68, QString(), 2));
    EXPECT_EQ(fmt(cur("-10.005"), "currency"), italian.toCurrencyString(-10.01, QString(), 2));
    expectFormats({
        {1234.5, "Currency", "$1,234.50", english}, {Variant::null(), "Currency", ""}, {"n.d.", "Currency", "n.d."},
        {1234.5, "Fixed", "1234,50"}, {0.5, "Fixed", "0,50"}, {-1234.567, "Standard", "-1.234,57"},
        {1234.5, "Standard", "1,234.50", english}, {0.1234, "Percent", "12,34%"},
        {1234.5, "General Number", "1234,5"}, {"1234,50", "General Number", "1234,5"},
        {0, "Yes/No", "No"}, {3, "Yes/No", "Yes"}, {true, "True/False", "True"}, {0.0, "On/Off", "Off"},
        {Variant::null(), "Yes/No", ""},
        {afternoon, "Short Date", "05/03/2024"}, {afternoon, "Long Date", "martedì 5 marzo 2024"},
        {afternoon, "Medium Date", "05-mar-24"}, {afternoon, "Short Time", "14:07"},
        {afternoon, "Medium Time", "02:07 PM"}, {afternoon, "Long Time", "14:07:09"},
        {afternoon, "General Date", "05/03/2024 14:07:09"}, {DateTime(2024, 3, 5), "General Date", "05/03/2024"},
        {DateTime(1899, 12, 30, 8, 30, 0), "General Date", "08:30:00"}, {afternoon, "Short Date", "3/5/2024", english},
        // Date tokens, clocks and conversions.
        {afternoon, "ddd d mmm yy", "mar 5 mar 24"}, {afternoon, "dd/mm/yy", "05/03/24"},
        {afternoon, "dddd d mmmm yyyy", "martedì 5 marzo 2024"}, {afternoon, "DD/MM/YYYY", "05/03/2024"},
        {DateTime(2024, 11, 9), "d/m/yy", "9/11/24"}, {afternoon, "ddd d mmm yy", "Tue 5 Mar 24", english},
        {afternoon, "q", "1"}, {afternoon, "y", "65"},
        // Sunday is day 1; weeks begin on Sunday and 1 January is in week 1.
        {afternoon, "w", "3"}, {afternoon, "ww", "10"},
        {afternoon, "hh:mm", "14:07"}, {afternoon, "h:m:s", "14:7:9"}, {afternoon, "mm", "03"},
        {afternoon, "hh:nn:ss", "14:07:09"}, {afternoon, "dd/mm/yyyy hh:mm", "05/03/2024 14:07"},
        {afternoon, "hh:mm dd/mm", "14:07 05/03"},
        // A month name is always the month.
        {afternoon, "hh mmm", "14 mar"},
        {afternoon, "hh:nn AM/PM", "02:07 PM"}, {afternoon, "h:nn am/pm", "2:07 pm"},
        {DateTime(2024, 3, 5, 0, 5, 0), "h:nn A/P", "12:05 A"}, {DateTime(2024, 3, 5, 12, 0, 0), "h a/p", "12 p"},
        {afternoon, "dd/mm/yy", "05.03.24", german}, {afternoon, "dd\\/mm", "05/03", german},
        {afternoon, "\"Data:\" dd-mm", "Data: 05-03"},
        {"05/03/2024", "dd mmm yyyy", "05 mar 2024"}, {"2024-03-05 14:07", "dd/mm/yy hh:mm", "05/03/24 14:07"},
        {45356, "dd/mm/yy", "05/03/24"}, {45356.5, "dd/mm/yy hh:nn", "05/03/24 12:00"}, {"abc", "dd/mm/yy", "abc"},
        {Variant::null(), "dd/mm/yy", ""}, {1e12, "dd/mm/yy", "1000000000000"},
    });
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
