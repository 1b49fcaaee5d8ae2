#include "platform/report/FontSpec.h"

#include <algorithm>
#include <cmath>

namespace platform::report {

QFont FontSpec::toQFont() const
{
    QFont font(family);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size * 20.0))));
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setKerning(false);
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace platform::report
