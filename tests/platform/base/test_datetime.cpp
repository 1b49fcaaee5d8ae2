// DateTime: ISO text, serial dates and ordering.
#include "ValueTestSupport.h"

#include <limits>

using platform::DateTime;

TEST(DateTimeIso, DateOnlyAndWithTimeInOrderAndReadBackInEveryForm)
{
    // Midnight is no time of day.
    for (const auto &[date, iso] : std::initializer_list<std::pair<DateTime, const char *>>{
             {DateTime(2024, 3, 5), "2024-03-05"}, {DateTime(2024, 3, 5, 14, 30), "2024-03-05 14:30:00"},
             {DateTime(2024, 3, 5, 0, 0, 1), "2024-03-05 00:00:01"}, {DateTime(2024, 3, 5, 0, 0, 0), "2024-03-05"},
             {DateTime(99, 1, 2), "0099-01-02"}, {DateTime(), ""}})
        EXPECT_EQ(date.toIso(), iso);
    EXPECT_FALSE(DateTime(2024, 3, 5, 0, 0, 0).hasTime());
    EXPECT_TRUE(DateTime(2024, 3, 5, 14, 30).hasTime());
    // Now and today are whole seconds and a bare date.
    EXPECT_EQ(DateTime::now().time().msec(), 0);
    EXPECT_FALSE(DateTime::today().hasTime());
    // Ordered by date, then time; ISO text orders the same way, which the
    // database relies on.
    const DateTime ordered[] = {DateTime(1899, 12, 29, 23, 0), DateTime(1899, 12, 30), DateTime(2023, 12, 31, 23, 59, 59),
                                DateTime(2024, 1, 1),          DateTime(2024, 3, 5),   DateTime(2024, 3, 5, 0, 0, 1),
                                DateTime(2024, 3, 5, 23, 59, 59), DateTime(2024, 3, 6)};
    for (size_t i = 1; i < std::size(ordered); ++i) {
        EXPECT_LT(ordered[i - 1], ordered[i]) << i;
        EXPECT_LT(ordered[i - 1].toIso(), ordered[i].toIso()) << i;
    }

    // What is written reads back; the other forms read too.
    for (const DateTime &d : {DateTime(2024, 3, 5), DateTime(2024, 2, 29, 23, 59, 59), DateTime(1899, 12, 30),
                              DateTime(1, 1, 1), DateTime(9999, 12, 31, 12, 0, 0)}) {
        const auto back = DateTime::fromIso(d.toIso());
        ASSERT_TRUE(back.has_value()) << d.toIso().toStdString();
        EXPECT_EQ(*back, d);
        EXPECT_EQ(back->hasTime(), d.hasTime());
    }
    EXPECT_EQ(DateTime::fromIso(u"2024-03-05T14:30:05"), DateTime(2024, 3, 5, 14, 30, 5));
    EXPECT_EQ(DateTime::fromIso(u"2024-03-05 14:30"), DateTime(2024, 3, 5, 14, 30));
    EXPECT_EQ(DateTime::fromIso(u"  2024-03-05  "), DateTime(2024, 3, 5));
    EXPECT_EQ(DateTime::fromIso(u"2024-03-05 00:00:00"), DateTime(2024, 3, 5));
    for (const char16_t *bad : {u"", u"2024-3-5", u"05/03/2024", u"2024-02-30", u"2024-13-01",
                                u"2024-03-05x", u"2024-03-05 25:00", u"2024-03-05 14:", u"abc"})
        EXPECT_FALSE(DateTime::fromIso(bad).has_value()) << QString::fromUtf16(bad).toStdString();
}

TEST(DateTimeSerial, DaysFromTheEpochAndTheTimeAsFractionBothWaysToWholeSeconds)
{
    // Before the epoch -1.25 is 29 December 1899 at 06:00: the integer part
    // counts back, the fraction is the time of day.
    for (const auto &[date, serial] : std::initializer_list<std::pair<DateTime, double>>{
             {DateTime(1899, 12, 30), 0.0}, {DateTime(1899, 12, 31), 1.0}, {DateTime(1900, 1, 1), 2.0},
             {DateTime(2024, 3, 5), 45356.0}, {DateTime(2024, 3, 5, 12, 0), 45356.5},
             {DateTime(2024, 3, 5, 18, 0), 45356.75}, {DateTime(100, 1, 1), -657434.0},
             {DateTime(9999, 12, 31), 2958465.0}, {DateTime(1899, 12, 29, 6, 0), -1.25},
             {DateTime(1899, 12, 29), -1.0}, {DateTime(1899, 12, 28), -2.0}, {DateTime(1899, 12, 28, 18, 0), -2.75}}) {
        EXPECT_EQ(date.toSerial(), serial) << date.toIso().toStdString();
        EXPECT_EQ(DateTime::fromSerial(serial), date) << serial;
    }
    // Between -1 and 0 the day is the epoch itself.
    EXPECT_EQ(DateTime::fromSerial(-0.25), DateTime(1899, 12, 30, 6, 0));

    // Any time of day goes there and back to the whole second.
    for (const DateTime &d : {DateTime(2024, 3, 5, 14, 30, 5), DateTime(1899, 12, 30, 23, 59, 59),
                              DateTime(1899, 12, 29, 0, 0, 1), DateTime(1850, 7, 14, 12, 34, 56),
                              DateTime(100, 1, 1, 8, 0), DateTime(9999, 12, 31, 23, 59, 59)})
        EXPECT_EQ(DateTime::fromSerial(d.toSerial()), d);
    // Fractions round to whole seconds. A time that rounds up to midnight is
    // the start of the next day, not a second before it.
    for (const auto &[serial, date] : std::initializer_list<std::pair<double, DateTime>>{
             {45356.5 + 0.4 / 86400, DateTime(2024, 3, 5, 12, 0, 0)}, {45356.5 + 0.6 / 86400, DateTime(2024, 3, 5, 12, 0, 1)},
             {45356.9999999, DateTime(2024, 3, 6)}, {-1.9999999, DateTime(1899, 12, 30)}, {-2.9999999, DateTime(1899, 12, 29)}})
        EXPECT_EQ(DateTime::fromSerial(serial), date) << serial;
    // Outside the years 100 to 9999 there is no date.
    EXPECT_TRUE(DateTime::fromSerial(-657434.0).isValid());
    EXPECT_TRUE(DateTime::fromSerial(2958465.5).isValid());
    for (const double outside : {-657435.0, 2958466.0, 2958465.9999999 /* rounds into year 10000 */, 1e300,
                                 std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()})
        EXPECT_FALSE(DateTime::fromSerial(outside).isValid()) << outside;
}
