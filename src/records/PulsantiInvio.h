#pragma once

class QWidget;

// Enter on a focused button of a data-entry window clicks it, as Space
// does. These windows have no default button (Enter in their fields moves
// on to the next one, and must never save or cancel by itself), so without
// this Enter would do nothing on a button the user reached with the keys.
namespace PulsantiInvio {

// Applies to the push buttons `window` holds now.
void Applica(QWidget *window);

} // namespace PulsantiInvio
