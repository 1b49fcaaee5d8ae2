#pragma once

#include <memory>

class QWidget;

namespace platform {
class Recordset;
}

// Shows, in the preview, the articles whose stock is negative over the
// year being closed, on the below-minimum report's layout; the year-end
// closing offers it before it stops.
void AnteprimaGiacenzeNegative(std::unique_ptr<platform::Recordset> rows, QWidget *parent);
