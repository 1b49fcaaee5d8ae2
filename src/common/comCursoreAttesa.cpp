#include "common/comCursoreAttesa.h"

#include "platform/data/Connection.h"

#include <QApplication>

namespace comCursoreAttesa {

namespace {

// Runs inside the engine while the statement waits: it only changes the
// cursor and never lets events run.
void MostraAttesa(platform::BusyWait evento)
{
    if (evento == platform::BusyWait::Started)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace

void Installa()
{
    platform::Connection::setBusyListener(&MostraAttesa);
}

} // namespace comCursoreAttesa
