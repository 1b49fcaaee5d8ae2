// DateTime: ISO text, serial dates and ordering.
#include "ValueTestSupport.h"

#include <limits>

using platform::DateTime;

TEST(DateTimeIso, DateOnlyAndWithTimeInOrder)
{
    EXPECT_EQ(DateTime(2024, 3, 5).toIso(), "2024-03-05");
    EXPECT_EQ(DateTime(2024, 3, 5, 14, 30).toIso(), "2024-03-05 14:30:00");
    EXPECT_EQ(DateTime(2024, 3, 5, 0, 0, 1).toIso(), "2024-03-05 00:00:01");
    // Midnight is no time of day.
    EXPECT_EQ(DateTime(2024, 3, 5, 0, 0, 0).toIso(), "2024-03-05");
    EXPECT_FALSE(DateTime(2024, 3, 5, 0, 0, 0).hasTime());
    EXPECT_TRUE(DateTime(2024, 3, 5, 14, 30).hasTime());
    EXPECT_EQ(DateTime(99, 1, 2).toIso(), "0099-01-02");
    EXPECT_EQ(DateTime().toIso(), "");
    // Now and today are whole seconds and a bare date.
    EXPECT_EQ(DateTime::now().time().msec(), 0);
    EXPECT_FALSE(DateTime::today().hasTime());
    // Ordered by date, then time.
    const DateTime a(2024, 3, 5);
    const DateTime b(2024, 3, 5, 0, 0, 1);
    const DateTime c(2024, 3, 5, 23, 59, 59);
    const DateTime d(2024, 3, 6);
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    EXPECT_LT(c, d);
    EXPECT_LT(DateTime(1899, 12, 29, 23, 0), DateTime(1899, 12, 30));
    EXPECT_LT(DateTime(2023, 12, 31, 23, 59, 59), DateTime(2024, 1, 1));
    // ISO text orders the same way, which the database relies on.
    EXPECT_LT(a.toIso(), b.toIso());
    EXPECT_LT(c.toIso(), d.toIso());
}

TEST(DateTimeIso, ReadsTheFormsAndRoundTrips)
{
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

TEST(DateTimeSerial, DaysFromTheEpochAndTheTimeAsFraction)
{
    EXPECT_EQ(DateTime(1899, 12, 30).toSerial(), 0.0);
    EXPECT_EQ(DateTime(1899, 12, 31).toSerial(), 1.0);
    EXPECT_EQ(DateTime(1900, 1, 1).toSerial(), 2.0);
    EXPECT_EQ(DateTime(2024, 3, 5).toSerial(), 45356.0);
    EXPECT_EQ(DateTime(2024, 3, 5, 12, 0).toSerial(), 45356.5);
    EXPECT_EQ(DateTime(2024, 3, 5, 18, 0).toSerial(), 45356.75);
    EXPECT_EQ(DateTime(100, 1, 1).toSerial(), -657434.0);
    EXPECT_EQ(DateTime(9999, 12, 31).toSerial(), 2958465.0);
    // Before the epoch -1.25 is 29 December 1899 at 06:00: the integer part
    // counts back, the fraction is the time of day.
    EXPECT_EQ(DateTime(1899, 12, 29, 6, 0).toSerial(), -1.25);
    EXPECT_EQ(DateTime(1899, 12, 28).toSerial(), -2.0);
    EXPECT_EQ(DateTime::fromSerial(-1.25), DateTime(1899, 12, 29, 6, 0));
    EXPECT_EQ(DateTime::fromSerial(-2.75), DateTime(1899, 12, 28, 18, 0));
    EXPECT_EQ(DateTime::fromSerial(-1.0), DateTime(1899, 12, 29));
    // Between -1 and 0 the day is the epoch itself.
    EXPECT_EQ(DateTime::fromSerial(-0.25), DateTime(1899, 12, 30, 6, 0));
}

TEST(DateTimeSerial, RoundTripsToWholeSeconds)
{
    for (const DateTime &d : {DateTime(2024, 3, 5, 14, 30, 5), DateTime(1899, 12, 30, 23, 59, 59),
                              DateTime(1899, 12, 29, 0, 0, 1), DateTime(1850, 7, 14, 12, 34, 56),
                              DateTime(100, 1, 1, 8, 0), DateTime(9999, 12, 31, 23, 59, 59)})
        EXPECT_EQ(DateTime::fromSerial(d.toSerial()), d);
    // Fractions round to whole seconds.
    EXPECT_EQ(DateTime::fromSerial(45356.5 + 0.4 / 86400), DateTime(2024, 3, 5, 12, 0, 0));
    EXPECT_EQ(DateTime::fromSerial(45356.5 + 0.6 / 86400), DateTime(2024, 3, 5, 12, 0, 1));
    // A time that rounds up to midnight is the start of the next day, not a
    // second before it.
    EXPECT_EQ(DateTime::fromSerial(45356.9999999), DateTime(2024, 3, 6));
    EXPECT_EQ(DateTime::fromSerial(-1.9999999), DateTime(1899, 12, 30));
    EXPECT_EQ(DateTime::fromSerial(-2.9999999), DateTime(1899, 12, 29));
    // Outside the years 100 to 9999 there is no date.
    EXPECT_TRUE(DateTime::fromSerial(-657434.0).isValid());
    EXPECT_FALSE(DateTime::fromSerial(-657435.0).isValid());
    EXPECT_TRUE(DateTime::fromSerial(2958465.5).isValid());
    EXPECT_FALSE(DateTime::fromSerial(2958466.0).isValid());
    EXPECT_FALSE(DateTime::fromSerial(2958465.9999999).isValid()); // rounds into year 10000
    EXPECT_FALSE(DateTime::fromSerial(1e300).isValid());
    EXPECT_FALSE(DateTime::fromSerial(std::numeric_limits<double>::quiet_NaN()).isValid());
    EXPECT_FALSE(DateTime::fromSerial(-std::numeric_limits<double>::infinity()).isValid());
}
