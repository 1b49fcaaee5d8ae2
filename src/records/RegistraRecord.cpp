#include "records/RegistraRecord.h"

#include "records/frm_io_UM.h"
#include "shell/WindowRegistry.h"

#include <QApplication>

namespace {

// Each command opens a fresh window of its own, shown on its own over the
// active window; the window deletes itself when it ends.
template <typename Finestra>
Finestra *NuovaFinestra()
{
    return new Finestra(QApplication::activeWindow());
}

} // namespace

void RegistraFinestreRecord()
{
    WindowRegistry::Voce um;
    um.Nuovo = [] { NuovaFinestra<frm_io_UM>()->Nuovo(0); };
    um.Apri = [](const platform::Variant &key) { NuovaFinestra<frm_io_UM>()->Apri(key.toInt32(), 0); };
    WindowRegistry::Registra(QStringLiteral("frm_io_UM"), um);
}
