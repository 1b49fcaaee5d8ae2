#include "platform/grid/OleColor.h"

#include <QGuiApplication>
#include <QPalette>

namespace platform {

QColor oleColor(std::uint32_t value)
{
    if (!isSystemOleColor(value))
        return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                      static_cast<int>((value >> 16) & 0xFF));
    const QPalette palette = QGuiApplication::palette();
    switch (value & 0xFF) {
    case 0x01: return palette.color(QPalette::Dark);            // desktop
    case 0x02: return palette.color(QPalette::Highlight);       // active caption
    case 0x04: return palette.color(QPalette::Window);          // menu
    case 0x05: return palette.color(QPalette::Base);            // window
    case 0x06: return palette.color(QPalette::Shadow);          // window frame
    case 0x07: return palette.color(QPalette::WindowText);      // menu text
    case 0x08: return palette.color(QPalette::Text);            // window text
    case 0x09: return palette.color(QPalette::HighlightedText); // caption text
    case 0x0D: return palette.color(QPalette::Highlight);
    case 0x0E: return palette.color(QPalette::HighlightedText);
    case 0x0F: return palette.color(QPalette::Button);          // button face
    case 0x10: return palette.color(QPalette::Dark);            // button shadow
    case 0x11: return palette.color(QPalette::Disabled, QPalette::Text); // grey text
    case 0x12: return palette.color(QPalette::ButtonText);
    case 0x14: return palette.color(QPalette::Light);           // button highlight
    case 0x15: return palette.color(QPalette::Shadow);          // 3-D dark shadow
    case 0x16: return palette.color(QPalette::Midlight);        // 3-D light
    case 0x17: return palette.color(QPalette::ToolTipText);
    case 0x18: return palette.color(QPalette::ToolTipBase);
    default: return palette.color(QPalette::Window);
    }
}

} // namespace platform
