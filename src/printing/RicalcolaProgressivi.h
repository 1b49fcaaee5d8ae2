#pragma once

#include <cstdint>

// The renumbering of a year's movements: they get the numbers 1, 2, 3, ...
// in date order, movements of one date in the order they were created. The
// year's counter is left as it is.
namespace RicalcolaProgressivi {

// Renumbers the movements dated in `anno` in one write transaction, read
// and written inside it so that no movement saved meanwhile is missed.
// Answers how many there are (0: nothing done). An error rolls everything
// back and reaches the caller.
int Rinumera(int anno);

// The command of the Tools menu for the working year: asks, renumbers and
// tells the user how it went; a failure is shown and changes nothing.
void Esegui();

} // namespace RicalcolaProgressivi
