#include "records/frm_io_Articoli_02.h"

#include "common/comUtility.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "records/FiltriTesto.h"
#include "records/FinestraCliFor.h"
#include "records/FinestraListe.h"
#include "records/frm_io_IVA.h"
#include "shell/MainModule.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>

using CalcoloPrezzi::Prezzi;
using platform::Currency;
using platform::Variant;

namespace {

// A text box of the article: its column, label, status-bar hint and
// display format; an amount shows with the value format of the settings.
struct Casella
{
    QStringView campo;
    QStringView etichetta;
    QStringView suggerimento;
    QStringView formato = {};
    bool importo = false;
};

// txtData by index; the notes (4) have no label of their own.
constexpr std::array<Casella, 11> Caselle{{
    {u"Codice", u"Codice:", u"Codice Articolo (max 40 caratteri)"},
    {u"Descrizione", u"Descrizione:", u"Descrizione Articolo (max 50 caratteri)"},
    {u"Costo", u"Costo:", u"Costo di acquisto Articolo", {}, true},
    {u"Ricarico", u"Ricarico:", u"Ricarico in percentuale", u"#,#.00"},
    {u"Note", {}, u"Note Articolo"},
    {u"PrezzoIvato", u"Prezzo ivato:", u"Prezzo di vendita con IVA", {}, true},
    {u"Prezzo", u"Prezzo:", u"Prezzo di vendita (senza IVA)", {}, true},
    {u"Aliquota", u"Importo IVA:", u"Importo IVA", {}, true},
    {u"CodiceArtFor", u"Codice Art. For.:", u"Codice Articolo Fornitore (max 40 caratteri)"},
    {u"ScortaMinima", u"Scorta minima:", u"Scorta minima dell'articolo", u"#,#;#,#;0"},
    {u"Ubicazione", u"Ubicazione:", u"Ubicazione del prodotto (campo liobero)"},
}};

enum {
    Codice, Descrizione, Costo, Ricarico, Note, PrezzoIvato, Prezzo, Aliquota, CodiceArtFor, ScortaMinima, Ubicazione
};

// The labels that name no text box: "%" after the mark-up, the date's, and
// those of the four combos.
constexpr int LabelPercento = Note;
constexpr int LabelData = 11;
constexpr int LabelListe = 12;

// A look-up combo: the query of its entries, the column stored in the
// article and the one shown, the article's column, label and hint.
struct Elenco
{
    QStringView query;
    QStringView colonnaValore;
    QStringView colonnaTesto;
    QStringView campo;
    QStringView etichetta;
    QStringView suggerimento;
};

constexpr std::array<Elenco, frm_io_Articoli_02::NumeroListe> Elenchi{{
    {u"SELECT * FROM Liste WHERE Chiave='cat' ORDER BY Descrizione", u"Descrizione", u"Descrizione", u"Categoria",
     u"Categoria:", u"Categoria Articolo"},
    {u"SELECT * FROM Liste WHERE Chiave='um' ORDER BY Descrizione", u"Codice", u"Descrizione", u"UM",
     u"Unità di misura:", u"Unità di misura Articolo"},
    {u"SELECT IdCliFor, Nome FROM CliFor WHERE Tipo='Fornitore' ORDER BY Nome", u"IdCliFor", u"Nome", u"IdFornitore",
     u"Fornitore:", u"Fornitore Articolo (opzionale)"},
    {u"SELECT CodiceIVA, Descrizione, Aliquota FROM CodiciIVA ORDER BY Descrizione", u"CodiceIVA", u"Descrizione",
     u"CodiceIVA", u"Tipo IVA:", u"Codice IVA vendita Articolo"},
}};

// The item role of the VAT combo that holds each code's rate (Currency raw).
constexpr int RuoloAliquota = Qt::UserRole + 1;

// The price columns and the amounts of the arithmetic they hold.
constexpr std::array<std::pair<QStringView, double Prezzi::*>, 5> CampiPrezzo{{
    {u"Costo", &Prezzi::costo},
    {u"Ricarico", &Prezzi::ricarico},
    {u"Prezzo", &Prezzi::prezzo},
    {u"Aliquota", &Prezzi::aliquota},
    {u"PrezzoIvato", &Prezzi::prezzoIvato},
}};

} // namespace

frm_io_Articoli_02::frm_io_Articoli_02(QWidget *parent)
    : FinestraRecord({QStringLiteral("Articoli"), QStringLiteral("Codice"), QStringLiteral("Codice")},
                     QStringLiteral("Articoli"), parent)
{
    setObjectName(QStringLiteral("frm_io_Articoli_02"));
    CreaControlli();
    Disponi();
    sb = AggiungiBarraStato();
    cmdSalva()->setToolTip(QStringLiteral("Salva l'articolo"));
    cmdAnnulla()->setToolTip(QStringLiteral("Annulla le modifiche e chiude"));
    MainModule::DisabilitaChiudi(this);
}

void frm_io_Articoli_02::CreaControlli()
{
    const QString valori = MainModule::FormatoNumero(MainModule::NumDecV);
    for (int i = 0; i < static_cast<int>(Caselle.size()); ++i) {
        const Casella &casella = Caselle[i];
        QWidget *control = nullptr;
        if (i == Note) {
            txtNote = new QPlainTextEdit(this);
            txtNote->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            Collega(txtNote, casella.campo.toString());
            control = txtNote;
        } else {
            txtData[i] = new QLineEdit(this);
            Collega(txtData[i], casella.campo.toString(), casella.importo ? valori : casella.formato.toString());
            lblData[i] = new QLabel(casella.etichetta.toString(), this);
            lblData[i]->setBuddy(txtData[i]);
            control = txtData[i];
        }
        control->setObjectName(QStringLiteral("txtData%1").arg(i));
        control->setToolTip(casella.suggerimento.toString());
    }
    // Room for a code of some thirty characters.
    for (int i : {Codice, CodiceArtFor}) {
        ComeCodice(txtData[i]);
        txtData[i]->setMinimumWidth(fontMetrics().averageCharWidth() * 28);
    }
    for (int i : {Costo, Ricarico, PrezzoIvato, Prezzo})
        FiltriTesto::Decimale(txtData[i]);
    for (int i : {Costo, Ricarico, PrezzoIvato, Prezzo, Aliquota, ScortaMinima})
        txtData[i]->setAlignment(Qt::AlignRight);
    txtData[Aliquota]->setEnabled(false);
    lblData[LabelPercento] = new QLabel(QStringLiteral("%"), this);

    datData[0] = new QDateEdit(this);
    datData[0]->setObjectName(QStringLiteral("datData0"));
    datData[0]->setToolTip(QStringLiteral("Data di inserimento articolo"));
    Collega(datData[0], QStringLiteral("DataIns"));
    lblData[LabelData] = new QLabel(QStringLiteral("Inserito il:"), this);
    lblData[LabelData]->setBuddy(datData[0]);

    for (int i = 0; i < NumeroListe; ++i) {
        dtcData[i] = new ComboDati(this);
        dtcData[i]->setObjectName(QStringLiteral("dtcData%1").arg(i));
        dtcData[i]->setToolTip(Elenchi[i].suggerimento.toString());
        Collega(dtcData[i], Elenchi[i].campo.toString());
        lblData[LabelListe + i] = new QLabel(Elenchi[i].etichetta.toString(), this);
        lblData[LabelListe + i]->setBuddy(dtcData[i]);
    }
    // A supplier's name shows whole.
    dtcData[ListaFornitori]->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    dtcData[ListaFornitori]->setMinimumContentsLength(30);
}

void frm_io_Articoli_02::Disponi()
{
    auto *generale = new QWidget;
    auto *grid = new QGridLayout(generale);
    const auto riga = [grid](int row, QLabel *label, QWidget *field, int column = 0, int span = 1) {
        grid->addWidget(label, row, column);
        grid->addWidget(field, row, column + 1, 1, span);
    };
    riga(0, lblData[Codice], txtData[Codice]);
    riga(1, lblData[Descrizione], txtData[Descrizione], 0, 3);
    riga(2, lblData[LabelListe + ListaFornitori], dtcData[ListaFornitori]);
    riga(2, lblData[CodiceArtFor], txtData[CodiceArtFor], 2);
    riga(3, lblData[LabelListe + ListaCategorie], dtcData[ListaCategorie]);
    riga(3, lblData[LabelListe + ListaUnita], dtcData[ListaUnita], 2);
    riga(4, lblData[LabelListe + ListaIVA], dtcData[ListaIVA]);
    riga(4, lblData[ScortaMinima], txtData[ScortaMinima], 2);
    riga(5, lblData[Ubicazione], txtData[Ubicazione], 0, 3);
    riga(6, lblData[Costo], txtData[Costo]);
    auto *ricarico = new QHBoxLayout;
    ricarico->addWidget(txtData[Ricarico], 1);
    ricarico->addWidget(lblData[LabelPercento]);
    grid->addWidget(lblData[Ricarico], 6, 2);
    grid->addLayout(ricarico, 6, 3);
    riga(7, lblData[Prezzo], txtData[Prezzo]);
    riga(7, lblData[Aliquota], txtData[Aliquota], 2);
    riga(8, lblData[PrezzoIvato], txtData[PrezzoIvato]);
    auto *note = new QGroupBox(QStringLiteral("Note"));
    (new QVBoxLayout(note))->addWidget(txtNote);
    grid->addWidget(note, 9, 0, 1, 4);
    grid->setRowStretch(9, 1);
    riga(10, lblData[LabelData], datData[0]);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    // At least four lines of notes.
    txtNote->setMinimumHeight(txtData[Codice]->sizeHint().height() * 4);

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->addTab(generale, QStringLiteral("Generale"));
    // One page: its tab is no stop of the tab order.
    SSTab1->setFocusPolicy(Qt::NoFocus);
    SSTab1->tabBar()->setFocusPolicy(Qt::NoFocus);
    Contenuto()->addWidget(SSTab1);

    // Enter and Tab go through the article in this order.
    const QList<QWidget *> ordine{txtData[Codice], txtData[Descrizione], dtcData[ListaFornitori],
                                  txtData[CodiceArtFor], dtcData[ListaCategorie], dtcData[ListaUnita],
                                  dtcData[ListaIVA], txtData[ScortaMinima], txtData[Ubicazione], txtData[Costo],
                                  txtData[Ricarico], txtData[Prezzo], txtData[Aliquota], txtData[PrezzoIvato],
                                  txtNote, datData[0], cmdSalva(), cmdAnnulla()};
    for (qsizetype i = 1; i < ordine.size(); ++i)
        setTabOrder(ordine[i - 1], ordine[i]);
}

// ---------------------------------------------------------------- opening

Variant frm_io_Articoli_02::Nuovo(int modal, std::int32_t idFornitore)
{
    m_IdFornitore = idFornitore;
    return ApriNuovo(modal);
}

Variant frm_io_Articoli_02::Apri(const QString &codice, int modal)
{
    return ApriEsistente(codice, modal);
}

void frm_io_Articoli_02::CaricaListe()
{
    CaricaListe(-1);
}

void frm_io_Articoli_02::CaricaListe(int which)
{
    platform::Connection connection(MainModule::ConnString);
    for (int i = 0; i < NumeroListe; ++i) {
        if (which != i && which != -1)
            continue;
        const Elenco &elenco = Elenchi[i];
        const auto rs = connection.executeQuery(elenco.query.toString());
        const int valore = rs->fieldIndex(elenco.colonnaValore.toString());
        const int testo = rs->fieldIndex(elenco.colonnaTesto.toString());
        const int aliquota = rs->fieldIndex(QStringLiteral("Aliquota"));
        ComboDati *combo = dtcData[i];
        // Refilling is not a choice of the user: the record keeps its value.
        const QSignalBlocker blocker(combo);
        combo->Svuota();
        for (int row = 0; row < rs->rowCount(); ++row) {
            const Variant shown = rs->valueAt(row, testo);
            combo->AggiungiVoce(shown.isNull() ? QString() : shown.toString(), rs->valueAt(row, valore));
            if (i == ListaIVA) {
                const double rate = comUtility::NumberOrDefault(rs->valueAt(row, aliquota), 0);
                combo->setItemData(row, qint64(Currency::fromDouble(rate).raw()), RuoloAliquota);
            }
        }
        MostraCampo(elenco.campo.toString());
    }
}

void frm_io_Articoli_02::ValoriNuovo(platform::Recordset &record)
{
    record.setValue(QStringLiteral("DataIns"), MainModule::WorkDate);
    for (const char16_t *field : {u"Ricarico", u"Costo", u"Aliquota", u"Prezzo", u"PrezzoIvato", u"ScortaMinima"})
        record.setValue(QString::fromUtf16(field), 0.0);
    if (m_IdFornitore > 0)
        record.setValue(QStringLiteral("IdFornitore"), m_IdFornitore);
    const std::array<std::pair<QString, QString>, 3> defaults{{
        {QStringLiteral("CodiceIVA"), MainModule::DefaultCodiceIVA},
        {QStringLiteral("UM"), MainModule::DefaultUM},
        {QStringLiteral("Categoria"), MainModule::DefaultCategoria},
    }};
    for (const auto &[field, value] : defaults)
        if (!value.isEmpty())
            record.setValue(field, value);
}

void frm_io_Articoli_02::Imposta()
{
    // The code is the article's key: it cannot change once saved.
    txtData[Codice]->setEnabled(Modo() == ModoNuovo);
    txtData[Modo() == ModoNuovo ? Codice : Descrizione]->setFocus(Qt::OtherFocusReason);
    // The prices follow the VAT code the article has from the start.
    LeggiAliquota();
}

// ---------------------------------------------------------------- checks and keys

bool frm_io_Articoli_02::Convalida(QWidget *control)
{
    if (control == txtData[Codice])
        return CodiceValido();
    if (control == dtcData[ListaIVA])
        return !dtcData[ListaIVA]->currentText().trimmed().isEmpty();
    return true;
}

bool frm_io_Articoli_02::ValoreAccettabile(QWidget *control, const Variant &value)
{
    // A minimum stock below zero means nothing.
    if (control == txtData[ScortaMinima])
        return comUtility::NumberOrDefault(value, 0) >= 0;
    return true;
}

bool frm_io_Articoli_02::CodiceValido()
{
    const QString codice = txtData[Codice]->text();
    if (codice.trimmed().isEmpty())
        return false;
    if (Modo() != ModoNuovo)
        return true;
    try {
        platform::Connection connection(MainModule::ConnString);
        if (connection.executeQuery(QStringLiteral("SELECT Codice FROM Articoli WHERE Codice=?"), {codice})->isEOF())
            return true;
    } catch (const platform::RuntimeError &e) {
        MostraErrore(e.description());
        return false;
    }
    platform::desktop().msgBox(MsgCodiceEsistente, platform::vbOKOnly, MainModule::ApplicationTitle);
    return false;
}

bool frm_io_Articoli_02::InvioAvanza(const QWidget *control) const
{
    return qobject_cast<const QComboBox *>(control) || FinestraRecord::InvioAvanza(control);
}

bool frm_io_Articoli_02::TastoControllo(QWidget *control, int key)
{
    if (key != Qt::Key_F5)
        return false;
    for (int i = 0; i < NumeroListe; ++i) {
        if (control == dtcData[i]) {
            CreaVoce(i);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- new list entries

Variant frm_io_Articoli_02::NuovaVoce(int lista)
{
    switch (lista) {
    case ListaCategorie:
        return frm_io_Cat(this).Nuovo(1);
    case ListaUnita:
        return frm_io_UM(this).Nuovo(1);
    case ListaFornitori:
        return frm_io_Fornitori_01(this).Nuovo(1);
    default:
        return frm_io_IVA(this).Nuovo(1);
    }
}

void frm_io_Articoli_02::CreaVoce(int lista)
{
    const Variant key = NuovaVoce(lista);
    if (key.isNull() || key.isEmpty())
        return;
    try {
        CaricaListe(lista);
    } catch (const platform::RuntimeError &e) {
        MostraErrore(e.description());
        return;
    }
    ImpostaValore(Elenchi[lista].campo.toString(), lista == ListaFornitori ? Variant(key.toInt32()) : key);
}

// ---------------------------------------------------------------- prices

void frm_io_Articoli_02::Lasciato(QWidget *control)
{
    if (control == dtcData[ListaIVA]) {
        CambioIVA();
        return;
    }
    const Prezzi prezzi = LeggiPrezzi();
    std::optional<Prezzi> nuovi;
    if (control == txtData[Costo] || control == txtData[Ricarico])
        nuovi = CalcoloPrezzi::DopoCosto(prezzi, m_AliquotaCorrente);
    else if (control == txtData[PrezzoIvato])
        nuovi = CalcoloPrezzi::DopoPrezzoIvato(prezzi, m_AliquotaCorrente);
    else if (control == txtData[Prezzo])
        nuovi = CalcoloPrezzi::DopoPrezzo(prezzi, m_AliquotaCorrente);
    if (nuovi)
        ScriviPrezzi(*nuovi);
}

void frm_io_Articoli_02::ComboCambiato(QComboBox *combo)
{
    if (combo == dtcData[ListaIVA])
        CambioIVA();
}

bool frm_io_Articoli_02::LeggiAliquota()
{
    const ComboDati *combo = dtcData[ListaIVA];
    const int index = combo->IndiceValore(Valore(QStringLiteral("CodiceIVA")));
    if (index < 0)
        return false;
    m_AliquotaCorrente = Currency::fromRaw(combo->itemData(index, RuoloAliquota).toLongLong());
    return true;
}

void frm_io_Articoli_02::CambioIVA()
{
    // A code that is not in the list (deleted meanwhile) has no known rate.
    if (LeggiAliquota())
        ScriviPrezzi(CalcoloPrezzi::DopoCambioIVA(LeggiPrezzi(), m_AliquotaCorrente));
}

Prezzi frm_io_Articoli_02::LeggiPrezzi() const
{
    Prezzi prezzi;
    for (const auto &[field, amount] : CampiPrezzo)
        prezzi.*amount = comUtility::NumberOrDefault(Valore(field.toString()), 0);
    return prezzi;
}

void frm_io_Articoli_02::ScriviPrezzi(const Prezzi &prezzi)
{
    for (const auto &[field, amount] : CampiPrezzo) {
        const Variant value(prezzi.*amount);
        if (!(Valore(field.toString()) == value))
            ImpostaValore(field.toString(), value);
    }
}
