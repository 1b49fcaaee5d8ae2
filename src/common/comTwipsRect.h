#pragma once

#include "platform/base/Twips.h"

#include <QRect>

// A control's place in a dialog, given in twips as the dialogs are drawn,
// in screen pixels.
inline QRect comTwipsRect(double left, double top, double width, double height)
{
    using platform::twipsToPixels;
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}
