#pragma once

#include <QIcon>
#include <QPixmap>

// The pictures the common library's windows draw for themselves: the
// program's icon, used where the application has none of its own, and the
// light bulb of the tip-of-the-day window.
namespace comIcone {

// Three stacked boxes on a blue tile, at the usual icon sizes.
QIcon Programma();

// A lit light bulb, `pixels` wide and high.
QPixmap Lampadina(int pixels);

} // namespace comIcone
