#pragma once

#include <QColor>

#include <cstdint>

namespace platform {

// A colour as the windows give it: 0x00BBGGRR, or 0x800000nn for the
// system colour number nn (0x05 window, 0x08 window text, 0x0F button face,
// 0x10 button shadow, 0x12 button text, 0x18 tool-tip background, ...),
// read from the application's palette.
QColor oleColor(std::uint32_t value);

// True when value names a system colour rather than a fixed one.
constexpr bool isSystemOleColor(std::uint32_t value) { return (value & 0xFF000000u) == 0x80000000u; }

} // namespace platform
