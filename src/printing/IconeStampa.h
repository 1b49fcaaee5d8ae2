#pragma once

#include <QIcon>

// The pictures of the report dialogs' catalogues, drawn by the program.
namespace IconeStampa {

// A printed list: a sheet with a heading and rows of text.
QIcon Elenco();

// A stock report: boxes stacked on a sheet.
QIcon Magazzino();

// A sheet of labels with barcodes.
QIcon Etichette();

} // namespace IconeStampa
