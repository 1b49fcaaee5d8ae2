#pragma once

#include <QIcon>

// The pictures of the report dialogs' catalogues, drawn by the program.
namespace IconeStampa {

// A printed list: a sheet with a heading and rows of text.
QIcon Elenco();

} // namespace IconeStampa
