#pragma once

#include <QString>

#include <cstdint>

class QWidget;

// The printed document of one stored movement: its header (causale, date,
// number, counterpart) and its lines with quantities without sign and the
// cost or the price, by the movement's sign, and the total the movement
// window shows.
namespace ardVendita {

// Produces the document of the movement `idReg` as stored and shows it in
// its preview window, over `parent`, from which the user prints or exports
// it; `totale` is the window's total as shown. A movement deleted meanwhile,
// or one that cannot be read, is told in a message box.
void Stampa(std::int32_t idReg, std::int16_t segno, const QString &totale, QWidget *parent);

} // namespace ardVendita
