#pragma once

// Registers the report dialogs and the stock commands of the printing
// layer with the window registry, under the names the main window uses.
void RegistraFinestreStampa();
