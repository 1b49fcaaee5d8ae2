#include "records/ardVendita.h"

namespace ardVendita {

void Stampa(std::int32_t idReg, std::int16_t segno, const QString &totale, QWidget *parent)
{
    Q_UNUSED(idReg);
    Q_UNUSED(segno);
    Q_UNUSED(totale);
    Q_UNUSED(parent);
}

} // namespace ardVendita
