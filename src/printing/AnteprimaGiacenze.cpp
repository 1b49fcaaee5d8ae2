#include "printing/AnteprimaGiacenze.h"

#include "platform/data/Recordset.h"

void AnteprimaGiacenzeNegative(std::unique_ptr<platform::Recordset> rows, QWidget *parent)
{
    Q_UNUSED(rows);
    Q_UNUSED(parent);
}
