#pragma once

class QLineEdit;

// The input rules of the record windows' text boxes.
namespace FiltriTesto {

// A code box: whatever reaches it, typed or pasted, is upper-cased and
// loses its single quotes.
void Codice(QLineEdit *edit);
// A decimal box: digits and the comma pass, a point becomes the decimal
// separator, other keys are dropped; pasted text that is not a number is
// caught by the box's numeric check when it is left.
void Decimale(QLineEdit *edit);

} // namespace FiltriTesto
