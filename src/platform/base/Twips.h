#pragma once

#include <cmath>

namespace platform {

// A length in twips (1/1440 inch), the unit in which window and report
// layouts are given. Screen pixels are 15 twips (96 dpi).
class Twips
{
public:
    static constexpr double PerPixel = 15.0;
    static constexpr double PerInch = 1440.0;
    static constexpr double PerMillimetre = 1440.0 / 25.4;

    constexpr Twips() = default;
    constexpr explicit Twips(double value) : m_value(value) {}

    static constexpr Twips fromPixels(double pixels) { return Twips(pixels * PerPixel); }
    static constexpr Twips fromMillimetres(double mm) { return Twips(mm * PerMillimetre); }

    constexpr double value() const { return m_value; }
    // Whole screen pixels, rounded to the nearest.
    int toPixels() const { return static_cast<int>(std::lround(m_value / PerPixel)); }
    constexpr double toPixelsF() const { return m_value / PerPixel; }
    constexpr double toInches() const { return m_value / PerInch; }
    constexpr double toMillimetres() const { return m_value / PerMillimetre; }
    // Device units at the given resolution (dots per inch), e.g. for printing.
    constexpr double toDots(double dpi) const { return m_value * dpi / PerInch; }

    constexpr Twips operator+(Twips o) const { return Twips(m_value + o.m_value); }
    constexpr Twips operator-(Twips o) const { return Twips(m_value - o.m_value); }
    constexpr Twips operator*(double f) const { return Twips(m_value * f); }
    constexpr Twips operator/(double f) const { return Twips(m_value / f); }
    constexpr auto operator<=>(const Twips &) const = default;

private:
    double m_value = 0.0;
};

// Shorthand for a twips value converted to screen pixels.
inline int twipsToPixels(double twips) { return Twips(twips).toPixels(); }

} // namespace platform
