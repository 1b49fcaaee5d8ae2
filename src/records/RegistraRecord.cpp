#include "records/RegistraRecord.h"

#include "records/FinestraCliFor.h"
#include "records/FinestraListe.h"
#include "records/frm_io_Articoli_02.h"
#include "records/frmChooseMov.h"
#include "records/frm_io_MovMag_01.h"
#include "records/frm_io_IVA.h"
#include "shell/WindowRegistry.h"
#include "shell/frmMain.h"

#include <QApplication>

#include <memory>

namespace {

// Each command opens a fresh window of its own, shown on its own over the
// main window whatever window is active, so that it never goes with another
// record window; the window deletes itself when it ends.
template <typename Finestra>
Finestra *NuovaFinestra()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (qobject_cast<frmMain *>(widget))
            return new Finestra(widget);
    return new Finestra(nullptr);
}

// A window opened by a numeric key (IdCliFor, Liste.Id).
template <typename Finestra>
void RegistraPerId(const QString &nome)
{
    WindowRegistry::Voce voce;
    voce.Nuovo = [] { NuovaFinestra<Finestra>()->Nuovo(0); };
    voce.Apri = [](const platform::Variant &key) { NuovaFinestra<Finestra>()->Apri(key.toInt32(), 0); };
    WindowRegistry::Registra(nome, voce);
}

} // namespace

void RegistraFinestreRecord()
{
    RegistraPerId<frm_io_UM>(QStringLiteral("frm_io_UM"));
    RegistraPerId<frm_io_Cat>(QStringLiteral("frm_io_Cat"));
    RegistraPerId<frm_io_Clienti>(QStringLiteral("frm_io_Clienti"));
    RegistraPerId<frm_io_Fornitori_01>(QStringLiteral("frm_io_Fornitori_01"));

    WindowRegistry::Voce iva;
    iva.Nuovo = [] { NuovaFinestra<frm_io_IVA>()->Nuovo(0); };
    iva.Apri = [](const platform::Variant &key) { NuovaFinestra<frm_io_IVA>()->Apri(key.toString(), 0); };
    WindowRegistry::Registra(QStringLiteral("frm_io_IVA"), iva);

    WindowRegistry::Voce articoli;
    articoli.Nuovo = [] { NuovaFinestra<frm_io_Articoli_02>()->Nuovo(0); };
    articoli.Apri = [](const platform::Variant &key) { NuovaFinestra<frm_io_Articoli_02>()->Apri(key.toString(), 0); };
    WindowRegistry::Registra(QStringLiteral("frm_io_Articoli_02"), articoli);

    // The movement window: a new window for every command.
    WindowRegistry::Voce movimento;
    movimento.Nuovo = [] { NuovaFinestra<frm_io_MovMag_01>()->Nuovo(); };
    movimento.Apri = [](const platform::Variant &key) { NuovaFinestra<frm_io_MovMag_01>()->Apri(key.toInt32()); };
    WindowRegistry::Registra(QStringLiteral("frm_io_MovMag_01"), movimento);

    // The movement chooser of the stock view's article; modal, it goes
    // when it closes.
    WindowRegistry::Voce scelta;
    scelta.Apri = [](const platform::Variant &key) {
        const std::unique_ptr<frmChooseMov> chooser(NuovaFinestra<frmChooseMov>());
        chooser->Apri(key.toString());
    };
    WindowRegistry::Registra(QStringLiteral("frmChooseMov"), scelta);
}
