#pragma once

class QLineEdit;

// The input rules of the record windows' text boxes.
namespace FiltriTesto {

// A code box: whatever reaches it, typed or pasted, is upper-cased and
// loses its single quotes (a pasted text before the box cuts it to its
// length).
void Codice(QLineEdit *edit);
// A decimal box: digits and the comma pass, a point becomes the decimal
// separator, other keys are dropped; pasted text goes through the same
// rule, so no minus sign gets in.
void Decimale(QLineEdit *edit);

} // namespace FiltriTesto
