#include "records/frm_io_MovMag_01.h"

#include "common/comTwipsRect.h"
#include "common/comUtility.h"
#include "common/comfrmSendError.h"
#include "platform/base/Format.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/ConflictError.h"
#include "platform/data/Connection.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/desktop/WindowPlacement.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridModel.h"
#include "records/FinestraCliFor.h"
#include "records/ardVendita.h"
#include "records/PulsantiInvio.h"
#include "records/frm_io_MovMag_01_Righe.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

using platform::DateTime;
using platform::Variant;
using Righe = frm_io_MovMag_01_Righe;

namespace {

const QString Modulo = QStringLiteral("frm_io_MovMag_01");
const QString Titolo = QStringLiteral("Magazzino");
const QString SuggerimentoContropartita = QStringLiteral("F4-Lista , F5-Nuovo");
const QString SuggerimentoCausale = QStringLiteral("F4-Lista");

bool Vuoto(const Variant &value)
{
    return value.isNull() || value.isEmpty();
}

// The states of the database a user can understand and act on: it is in
// use by another user, cannot be written, is missing, or the disk is full.
bool CondizioneDelDatabase(const platform::RuntimeError &error)
{
    using Kind = platform::DatabaseError::Kind;
    const auto *database = dynamic_cast<const platform::DatabaseError *>(&error);
    if (!database)
        return false;
    switch (database->kind()) {
    case Kind::Busy:
    case Kind::ReadOnly:
    case Kind::CannotOpen:
    case Kind::DiskFull:
        return true;
    default:
        return false;
    }
}

} // namespace

frm_io_MovMag_01::frm_io_MovMag_01(QWidget *parent)
    : QDialog(parent)
    , m_Mov(std::make_unique<Movimento>())
{
    setObjectName(Modulo);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Titolo);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    CreaControlli();
    MainModule::DisabilitaChiudi(this);
    // The window sees the keys before its controls, the grid's editors too.
    qApp->installEventFilter(this);
}

frm_io_MovMag_01::~frm_io_MovMag_01()
{
    qApp->removeEventFilter(this);
    delete m_Righe;
    m_Righe = nullptr;
}

void frm_io_MovMag_01::CreaControlli()
{
    const QStringList captions{QStringLiteral("Data / Progressivo:"), QStringLiteral("Contropartita:"),
                               QStringLiteral("Riferimenti:"), QStringLiteral("Causale:"), QStringLiteral("/")};
    for (int i = 0; i < 5; ++i) {
        lblData[i] = new QLabel(captions[i], this);
        lblData[i]->setObjectName(QStringLiteral("lblData%1").arg(i));
    }
    datData0 = new QDateEdit(this);
    datData0->setObjectName(QStringLiteral("datData0"));
    datData0->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    datData0->setCalendarPopup(true);
    datData0->setToolTip(QStringLiteral("Data di inserimento movimento"));
    // The whole date shows beside the calendar button.
    datData0->setMinimumWidth(datData0->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000"))
                              + 3 * datData0->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    lblProg = new QLabel(QStringLiteral("N/A"), this);
    lblProg->setObjectName(QStringLiteral("lblProg"));
    lblProg->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    cmbData = new QComboBox(this);
    cmbData->setObjectName(QStringLiteral("cmbData"));
    cmbData->addItems(RegolaCausale::Causali);
    cmbData->setToolTip(QStringLiteral("Tipo movimento"));
    dtcData0 = new ComboDati(this);
    dtcData0->setObjectName(QStringLiteral("dtcData0"));
    dtcData0->setToolTip(QStringLiteral("Fornitore o Cliente (secondo la causale)"));
    dtcData0->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    dtcData0->setMinimumContentsLength(30);
    txtData0 = new QLineEdit(this);
    txtData0->setObjectName(QStringLiteral("txtData0"));
    txtData0->setToolTip(QStringLiteral("Riferimenti al movimento"));

    gexDet = new platform::Grid(this);
    gexDet->setObjectName(QStringLiteral("gexDet"));
    lblTotale[0] = new QLabel(QStringLiteral("Totale:"), this);
    lblTotale[1] = new QLabel(this);
    lblTotale[1]->setObjectName(QStringLiteral("lblTotale1"));
    lblTotale[1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblTotale[1]->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000.000.000,00 €")));
    lblTotale[1]->setFrameShape(QFrame::StyledPanel);

    const auto bottone = [this](const QString &name, const QString &caption) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(name);
        // No button is the default: Enter in a field moves on and never
        // saves; Enter on a focused button clicks it (PulsantiInvio).
        button->setAutoDefault(false);
        return button;
    };
    cmdNuovo = bottone(QStringLiteral("cmdNuovo"), QStringLiteral("Nuovo (F5)"));
    cmdModifica = bottone(QStringLiteral("cmdModifica"), QStringLiteral("Modifica"));
    cmdSalva = bottone(QStringLiteral("cmdSalva"), QStringLiteral("Salva (F8)"));
    cmdAnnulla = bottone(QStringLiteral("cmdAnnulla"), QStringLiteral("Annulla"));
    cmdElimina = bottone(QStringLiteral("cmdElimina"), QStringLiteral("Elimina"));
    cmdChiudi = bottone(QStringLiteral("cmdChiudi"), QStringLiteral("Chiudi (Esc)"));
    cmdPrint = bottone(QStringLiteral("cmdPrint"), QStringLiteral("Stampa"));
    cmdLabels = bottone(QStringLiteral("cmdLabels"), QStringLiteral("Stampa etichette"));

    sb = new QStatusBar(this);
    sb->setObjectName(QStringLiteral("sb"));
    sb->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        sbPanel[i] = new QLabel(sb);
        sbPanel[i]->setObjectName(QStringLiteral("sbPanel%1").arg(i + 1));
        sb->addWidget(sbPanel[i], i == 0 ? 3 : 2);
    }

    auto *testata = new QGridLayout;
    testata->addWidget(lblData[0], 0, 0);
    auto *dataProg = new QHBoxLayout;
    dataProg->addWidget(datData0);
    dataProg->addWidget(lblData[4]);
    dataProg->addWidget(lblProg);
    dataProg->addStretch(1);
    testata->addLayout(dataProg, 0, 1);
    testata->addWidget(lblData[3], 1, 0);
    auto *causale = new QHBoxLayout;
    causale->addWidget(cmbData);
    causale->addSpacing(12);
    causale->addWidget(lblData[1]);
    causale->addWidget(dtcData0, 1);
    testata->addLayout(causale, 1, 1);
    testata->addWidget(lblData[2], 2, 0);
    testata->addWidget(txtData0, 2, 1);
    testata->setColumnStretch(1, 1);

    auto *totale = new QHBoxLayout;
    totale->addStretch(1);
    totale->addWidget(lblTotale[0]);
    totale->addWidget(lblTotale[1]);

    auto *bottoni = new QHBoxLayout;
    for (QPushButton *button : {cmdNuovo, cmdModifica, cmdSalva, cmdAnnulla, cmdElimina, cmdPrint, cmdLabels})
        bottoni->addWidget(button);
    bottoni->addStretch(1);
    bottoni->addWidget(cmdChiudi);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(testata);
    layout->addWidget(gexDet, 1);
    layout->addLayout(totale);
    layout->addLayout(bottoni);
    layout->addWidget(sb);

    setTabOrder(datData0, cmbData);
    setTabOrder(cmbData, dtcData0);
    setTabOrder(dtcData0, txtData0);
    setTabOrder(txtData0, gexDet);
    PulsantiInvio::Applica(this);
    resize(comTwipsRect(0, 0, 11400, 7200).size());
    // At its smallest the window still shows every column of the lines.
    setMinimumSize(comTwipsRect(0, 0, 10200, 5000).size());
    platform::keepOnScreen(this);

    m_Righe = new Righe(gexDet, this, sbPanel[0], sbPanel[1]);
    m_Righe->FornitoreNuovoArticolo = [this] {
        return m_Regola.contropartita == RegolaCausale::Fornitore ? m_IdContropartitaScelta : 0;
    };
    connect(m_Righe, &Righe::rigaMemorizzata, this, &frm_io_MovMag_01::AggiornaTotale);
    connect(m_Righe, &Righe::fineRighe, this, [this] { cmdSalva->setFocus(Qt::OtherFocusReason); });

    connect(dtcData0, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_Mostrando)
            return;
        m_IdContropartitaScelta = index < 0 ? 0 : comUtility::IntegerOrDefault(dtcData0->itemData(index).value<Variant>(), 0);
    });
    connect(cmdNuovo, &QPushButton::clicked, this, &frm_io_MovMag_01::cmdNuovo_Click);
    connect(cmdModifica, &QPushButton::clicked, this, &frm_io_MovMag_01::cmdModifica_Click);
    connect(cmdSalva, &QPushButton::clicked, this, [this] { cmdSalva_Click(); });
    connect(cmdAnnulla, &QPushButton::clicked, this, &frm_io_MovMag_01::cmdAnnulla_Click);
    connect(cmdElimina, &QPushButton::clicked, this, &frm_io_MovMag_01::cmdElimina_Click);
    connect(cmdChiudi, &QPushButton::clicked, this, &frm_io_MovMag_01::cmdChiudi_Click);
    connect(cmdPrint, &QPushButton::clicked, this, &frm_io_MovMag_01::cmdPrint_Click);
    connect(cmdLabels, &QPushButton::clicked, this, &frm_io_MovMag_01::cmdLabels_Click);
}

platform::GridModel *frm_io_MovMag_01::gexArt(int index) const
{
    return m_Righe->gexArt(index);
}

// ---------------------------------------------------------------- opening

bool frm_io_MovMag_01::Apri(std::int32_t idReg)
{
    ImpostaStato(StatoVista);
    bool found = false;
    try {
        found = m_Mov->Carica(idReg);
        if (found)
            CaricaMovimento();
    } catch (const platform::RuntimeError &e) {
        Errore(e, QStringLiteral("Apri"));
        ChiudiFinestra();
        return false;
    }
    if (!found) {
        // Deleted by someone else since the list showed it.
        platform::desktop().msgBox(MsgModificata, platform::vbOKOnly, MainModule::ApplicationTitle);
        WindowRegistry::AggiornaPrincipale();
        ChiudiFinestra();
        return false;
    }
    Mostra();
    cmbData->setEnabled(false);
    ImpostaCausale();
    cmdLabels->setEnabled(EtichetteDisponibili() && m_Regola.OffreEtichette());
    AggiornaTotale();
    gexDet->setFocus(Qt::OtherFocusReason);
    return true;
}

void frm_io_MovMag_01::Nuovo()
{
    if (!IniziaNuovo(QStringLiteral("Nuovo")))
        return;
    Mostra();
    ImpostaCausale();
    m_UltimaCausale = cmbData->currentText();
    AggiornaTotale();
    cmbData->setFocus(Qt::OtherFocusReason);
}

bool frm_io_MovMag_01::IniziaNuovo(const QString &routine)
{
    ImpostaStato(StatoNuovo);
    if (m_UltimaCausale.isEmpty())
        m_UltimaCausale = QStringLiteral("Acquisto");
    try {
        m_Mov->Nuovo(m_UltimaCausale, MainModule::WorkDate);
        m_IdContropartitaScelta = 0;
        // The number the movement is expected to get; the save gives the real one.
        lblProg->setText(QString::number(MainModule::LeggiProgressivo(MainModule::WorkYear) + 1));
        CaricaMovimento();
    } catch (const platform::RuntimeError &e) {
        Errore(e, routine);
        ChiudiFinestra();
        return false;
    }
    return true;
}

void frm_io_MovMag_01::Mostra()
{
    show();
    raise();
    activateWindow();
}

void frm_io_MovMag_01::CaricaMovimento()
{
    m_Righe->CaricaListe(MainModule::WorkYear);
    m_Righe->Collega(&m_Mov->Righe());
    MostraTestata();
}

void frm_io_MovMag_01::MostraTestata()
{
    const platform::Recordset &testata = m_Mov->Testata();
    m_Mostrando = true;
    const Variant data = testata.value(QStringLiteral("DataIns"));
    datData0->setDate(data.isDate() ? data.toDate().date() : MainModule::WorkDate.date());
    const QString causale = testata.value(QStringLiteral("Causale")).toString();
    int index = cmbData->findText(causale);
    if (index < 0) {
        // A causale outside the list still shows as it is stored.
        cmbData->addItem(causale);
        index = cmbData->count() - 1;
    }
    cmbData->setCurrentIndex(index);
    const Variant descrizione = testata.value(QStringLiteral("Descrizione"));
    txtData0->setText(Vuoto(descrizione) ? QString() : descrizione.toString());
    txtData0->setMaxLength(std::max(1, testata.fieldInfo(testata.fieldIndex(QStringLiteral("Descrizione"))).type.definedSize()));
    m_Mostrando = false;
    if (!m_Mov->IsNuovo()) {
        const auto numero = m_Mov->Progressivo();
        // A header left without number shows none.
        lblProg->setText(numero ? QString::number(*numero) : QString());
    }
}

void frm_io_MovMag_01::ScriviTestata()
{
    platform::Recordset &testata = m_Mov->Testata();
    const auto scrivi = [&testata](const QString &field, const Variant &value) {
        if (!(testata.value(field) == value))
            testata.setValue(field, value);
    };
    scrivi(QStringLiteral("DataIns"), Variant(DateTime(datData0->date())));
    if (m_Mov->IsNuovo()) {
        scrivi(QStringLiteral("Causale"), Variant(cmbData->currentText()));
        ConfermaContropartita();
        // A movement without counterpart stores none.
        const Variant id = m_Regola.contropartita == RegolaCausale::Deposito || dtcData0->currentIndex() < 0
            ? Variant::null()
            : dtcData0->currentData().value<Variant>();
        scrivi(QStringLiteral("IdContropartita"), id);
    }
    const QString descrizione = txtData0->text();
    scrivi(QStringLiteral("Descrizione"), descrizione.isEmpty() ? Variant::null() : Variant(descrizione));
}

// ---------------------------------------------------------------- modes and causale

void frm_io_MovMag_01::ImpostaStato(int mode)
{
    for (QPushButton *button : {cmdSalva, cmdAnnulla, cmdModifica, cmdNuovo, cmdElimina, cmdChiudi})
        button->setVisible(false);
    for (QWidget *control : std::initializer_list<QWidget *>{cmbData, datData0, dtcData0, txtData0})
        control->setEnabled(false);
    cmdLabels->setEnabled(false);
    cmdPrint->setEnabled(false);
    bool editable = false;
    switch (mode) {
    case StatoNuovo:
    case StatoModifica:
        cmbData->setEnabled(mode == StatoNuovo);
        datData0->setEnabled(true);
        txtData0->setEnabled(true);
        editable = true;
        cmdSalva->setVisible(true);
        cmdAnnulla->setVisible(true);
        break;
    case StatoVista:
        for (QPushButton *button : {cmdModifica, cmdNuovo, cmdElimina, cmdChiudi})
            button->setVisible(true);
        cmdLabels->setEnabled(EtichetteDisponibili());
        cmdPrint->setEnabled(true);
        break;
    default:
        break;
    }
    m_Righe->ImpostaModificabile(editable);
    m_Stato = mode;
}

void frm_io_MovMag_01::ImpostaCausale()
{
    const QString previous = m_Regola.contropartita;
    m_Regola = RegolaCausale::Di(cmbData->currentText());
    if (m_Regola.contropartita == RegolaCausale::Deposito) {
        dtcData0->setVisible(false);
        lblData[1]->clear();
    } else {
        dtcData0->setVisible(true);
        dtcData0->setEnabled(true);
        lblData[1]->setText(m_Regola.contropartita + QLatin1Char(':'));
        try {
            InitCombos();
        } catch (const platform::RuntimeError &e) {
            Errore(e, QStringLiteral("InitCombos"));
        }
    }
    // A sale never keeps the supplier of a purchase.
    if (previous != m_Regola.contropartita && m_Mov->IsNuovo()) {
        m_IdContropartitaScelta = 0;
        dtcData0->setCurrentIndex(-1);
    }
    m_Righe->ImpostaSegno(m_Regola.segno);
    AggiornaTotale();
}

void frm_io_MovMag_01::InitCombos()
{
    platform::Connection connection(MainModule::ConnString);
    const auto rs = connection.executeQuery(QStringLiteral("SELECT IdCliFor, Nome FROM CliFor WHERE Tipo=? ORDER BY Nome"),
                                            {m_Regola.contropartita});
    m_Mostrando = true;
    dtcData0->Svuota();
    for (int row = 0; row < rs->rowCount(); ++row)
        dtcData0->AggiungiVoce(rs->valueAt(row, 1).toString(), rs->valueAt(row, 0));
    const Variant id = m_Mov->IsNuovo() && m_IdContropartitaScelta > 0
        ? Variant(m_IdContropartitaScelta)
        : m_Mov->Testata().value(QStringLiteral("IdContropartita"));
    int index = -1;
    for (int i = 0; !Vuoto(id) && i < dtcData0->count(); ++i)
        if (dtcData0->ValoreVoce(i).toInt32() == id.toInt32())
            index = i;
    dtcData0->MostraValore(dtcData0->ValoreVoce(index));
    m_Mostrando = false;
    m_IdContropartitaScelta = index < 0 ? 0 : id.toInt32();
}

void frm_io_MovMag_01::NuovaContropartita()
{
    const Variant id = m_Regola.contropartita == RegolaCausale::Fornitore ? frm_io_Fornitori_01(this).Nuovo(1)
                                                                          : frm_io_Clienti(this).Nuovo(1);
    if (Vuoto(id))
        return;
    m_IdContropartitaScelta = id.toInt32();
    try {
        InitCombos();
    } catch (const platform::RuntimeError &e) {
        Errore(e, QStringLiteral("InitCombos"));
    }
}

void frm_io_MovMag_01::ConfermaContropartita()
{
    if (!dtcData0->Conferma())
        dtcData0->MostraValore(dtcData0->ValoreVoce(dtcData0->currentIndex()));
}

void frm_io_MovMag_01::AggiornaTotale()
{
    lblTotale[1]->setText(platform::formatValue(Variant(m_Mov->Totale(m_Regola.segno)), QStringLiteral("Currency")));
}

bool frm_io_MovMag_01::EtichetteDisponibili() const
{
    return WindowRegistry::Registrata(FinestraEtichette);
}

// ---------------------------------------------------------------- buttons

void frm_io_MovMag_01::cmdNuovo_Click()
{
    setWindowTitle(QStringLiteral("<Nuovo Movimento>"));
    lblTotale[1]->setText(platform::formatValue(Variant(0), MainModule::ValueFormat));
    if (!IniziaNuovo(QStringLiteral("cmdNuovo_Click")))
        return;
    ImpostaCausale();
    cmbData->setFocus(Qt::OtherFocusReason);
}

void frm_io_MovMag_01::cmdModifica_Click()
{
    ImpostaStato(StatoModifica);
    gexDet->setFocus(Qt::OtherFocusReason);
    m_Righe->gexDet_GotFocus();
}

bool frm_io_MovMag_01::RigheValide()
{
    const platform::Recordset &righe = m_Mov->Righe();
    const int codice = righe.fieldIndex(QStringLiteral("CodiceArticolo"));
    QStringList codici;
    for (int row = 0; row < righe.rowCount(); ++row) {
        const Variant value = righe.valueAt(row, codice);
        if (!Vuoto(value) && !codici.contains(value.toString(), Qt::CaseInsensitive))
            codici << value.toString();
    }
    // The articles of the lines, all read at once.
    QSet<QString> articoli;
    try {
        if (!codici.isEmpty()) {
            QList<Variant> parameters;
            for (const QString &c : std::as_const(codici))
                parameters << Variant(c);
            QStringList marks(codici.size(), QStringLiteral("?"));
            platform::Connection connection(MainModule::ConnString);
            const auto rs = connection.executeQuery(
                QStringLiteral("SELECT Codice FROM Articoli WHERE Codice IN (%1)").arg(marks.join(u',')), parameters);
            for (int row = 0; row < rs->rowCount(); ++row)
                articoli.insert(rs->valueAt(row, 0).toString().toCaseFolded());
        }
    } catch (const platform::RuntimeError &e) {
        Errore(e, QStringLiteral("Rec_Save"));
        return false;
    }
    for (int row = 0; row < righe.rowCount(); ++row) {
        const Variant value = righe.valueAt(row, codice);
        if (!Vuoto(value) && articoli.contains(value.toString().toCaseFolded()))
            continue;
        platform::desktop().msgBox(Righe::MsgErroreDati, platform::vbOKOnly, MainModule::ApplicationTitle);
        gexDet->setFocus(Qt::OtherFocusReason);
        gexDet->setRow(gexDet->model()->rowOfRecord(row));
        gexDet->setCol(Righe::Codice);
        return false;
    }
    return true;
}

bool frm_io_MovMag_01::cmdSalva_Click()
{
    if (m_Stato != StatoNuovo && m_Stato != StatoModifica)
        return false;
    // The line being typed is stored first.
    if (!gexDet->commitRow())
        return false;
    if (m_Mov->Righe().rowCount() == 0) {
        platform::desktop().msgBox(MsgNessunaRiga, platform::vbOKOnly, MainModule::ApplicationTitle);
        gexDet->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (!RigheValide())
        return false;
    const bool nuovo = m_Mov->IsNuovo();
    // The causale shown is the one saved, with its counterpart kind.
    if (nuovo) {
        const RegolaCausale regola = RegolaCausale::Di(cmbData->currentText());
        if (regola.contropartita != m_Regola.contropartita)
            ImpostaCausale();
        else
            m_Regola = regola;
    }
    ScriviTestata();
    try {
        m_Mov->Salva(m_Regola, MainModule::WorkYear);
    } catch (const platform::ConflictError &) {
        // Someone else changed or deleted the movement: nothing was written.
        platform::desktop().msgBox(MsgModificata + QStringLiteral("\r\n") + MsgNonSalvate, platform::vbOKOnly,
                                   MainModule::ApplicationTitle);
        WindowRegistry::AggiornaPrincipale();
        ChiudiFinestra();
        return false;
    } catch (const platform::RuntimeError &e) {
        // Nothing was written; the window keeps the user's header and lines,
        // so that the save can be tried again.
        Errore(e, QStringLiteral("Rec_Save"));
        gexDet->rebind();
        return false;
    }
    gexDet->rebind();
    lblProg->setText(QString::number(m_Mov->Progressivo().value_or(0)));
    if (nuovo)
        m_UltimaCausale = m_Regola.causale;
    if (nuovo && m_Regola.OffreEtichette() && MainModule::LeggiNumero(QStringLiteral("regAskLabelPrint"), 0) == 1
        && EtichetteDisponibili()
        && platform::desktop().msgBox(MsgEtichette, platform::vbYesNo, MainModule::ApplicationTitle) == platform::vbYes)
        WindowRegistry::Apri(FinestraEtichette, Variant(m_Mov->IdReg()));
    ImpostaStato(StatoVista);
    AggiornaTotale();
    cmdNuovo->setFocus(Qt::OtherFocusReason);
    WindowRegistry::AggiornaPrincipale();
    raise();
    return true;
}

void frm_io_MovMag_01::cmdAnnulla_Click()
{
    if (m_Stato != StatoNuovo && m_Stato != StatoModifica)
        return;
    // Asked before anything is dropped, the line being typed included.
    const bool righe = RigheInCorso();
    if (righe && !Abbandona())
        return;
    gexDet->cancelRow();
    try {
        m_Mov->AnnullaModifiche();
    } catch (const platform::RuntimeError &) {
        // The changes are dropped with the movement anyway.
    }
    if (m_Stato == StatoNuovo) {
        // Nothing of a new movement was stored.
        if (righe)
            cmdNuovo_Click();
        else
            ChiudiFinestra();
        return;
    }
    gexDet->rebind();
    if (gexDet->rowCount() > 0)
        gexDet->setRow(1);
    MostraTestata();
    ImpostaStato(StatoVista);
    ImpostaCausale();
    AggiornaTotale();
}

bool frm_io_MovMag_01::RigheInCorso() const
{
    return m_Mov->Righe().rowCount() > 0 || gexDet->hasPendingInput();
}

bool frm_io_MovMag_01::Abbandona()
{
    if (platform::desktop().msgBox(MsgAbbandona, platform::vbYesNo, MainModule::ApplicationTitle) == platform::vbYes)
        return true;
    gexDet->focusCell();
    return false;
}

void frm_io_MovMag_01::cmdElimina_Click()
{
    if (m_Stato != StatoVista)
        return;
    if (platform::desktop().msgBox(MsgElimina, platform::vbYesNo | platform::vbDefaultButton2,
                                   MainModule::ApplicationTitle)
        != platform::vbYes)
        return;
    try {
        m_Mov->Elimina();
    } catch (const platform::RuntimeError &e) {
        // Rolled back: the movement stays as it was, and so does the window.
        Errore(e, QStringLiteral("Rec_Delete"));
        return;
    }
    WindowRegistry::AggiornaPrincipale();
    lower();
    cmdNuovo_Click();
}

void frm_io_MovMag_01::cmdChiudi_Click()
{
    ChiudiFinestra();
}

void frm_io_MovMag_01::cmdPrint_Click()
{
    if (m_Stato == StatoVista)
        ardVendita::Stampa(m_Mov->IdReg(), m_Regola.segno, lblTotale[1]->text(), this);
}

void frm_io_MovMag_01::cmdLabels_Click()
{
    if (m_Stato == StatoVista && EtichetteDisponibili())
        WindowRegistry::Apri(FinestraEtichette, Variant(m_Mov->IdReg()));
}

void frm_io_MovMag_01::ChiudiFinestra()
{
    if (m_Chiusa)
        return;
    m_Chiusa = true;
    m_Stato = 0;
    hide();
    deleteLater();
}

void frm_io_MovMag_01::Errore(const platform::RuntimeError &error, const QString &routine)
{
    if (CondizioneDelDatabase(error)) {
        FinestraRecord::MostraErrore(error.description());
        return;
    }
    comfrmSendError::Apri(QStringLiteral(" Errore"), QStringLiteral(" Errore"), error, routine, Modulo);
}

// ---------------------------------------------------------------- keys and focus

bool frm_io_MovMag_01::TastoFinestra(int key)
{
    switch (m_Stato) {
    case StatoVista:
        if (key == Qt::Key_F5) {
            cmdNuovo_Click();
            return true;
        }
        if (key == Qt::Key_Escape) {
            cmdChiudi_Click();
            return true;
        }
        return false;
    case StatoNuovo:
    case StatoModifica:
        if (key == Qt::Key_F8) {
            cmdSalva_Click();
            return true;
        }
        if (key == Qt::Key_Escape) {
            cmdAnnulla_Click();
            return true;
        }
        return false;
    default:
        return false;
    }
}

void frm_io_MovMag_01::MostraSuggerimento(QWidget *control)
{
    sbPanel[0]->setText(control->toolTip());
    if (control == dtcData0)
        sbPanel[1]->setText(SuggerimentoContropartita);
    else if (control == cmbData)
        sbPanel[1]->setText(SuggerimentoCausale);
    else
        sbPanel[1]->clear();
}

bool frm_io_MovMag_01::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || m_Chiusa)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        // Keys come here before the control that has the focus; the ones the
        // window uses go no further.
        if (widget != this && !isAncestorOf(widget))
            break;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (TastoFinestra(key->key()))
            return true;
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        QWidget *control = widget;
        while (control && control != this && control != cmbData && control != dtcData0 && control != datData0
               && control != txtData0)
            control = control->parentWidget();
        if (!control || control == this)
            break;
        if (enter && !(control == cmbData && cmbData->view()->isVisible())
            && !(control == dtcData0 && dtcData0->view()->isVisible())) {
            // Enter moves on to the next field.
            focusNextChild();
            return true;
        }
        if (key->key() == Qt::Key_F5 && control == dtcData0 && dtcData0->isEnabled()) {
            NuovaContropartita();
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        if (widget == datData0 || widget == cmbData || widget == dtcData0 || widget == txtData0) {
            MostraSuggerimento(widget);
            if (widget == txtData0)
                txtData0->selectAll();
        }
        break;
    case QEvent::FocusOut: {
        // A control is left when the user goes on to another control of
        // the window. A combo's own list opening (by the mouse or F4) takes
        // the focus into a popup window, and a message box or dialog into
        // theirs: neither leaves it.
        const QWidget *now = QApplication::focusWidget();
        const bool left = now && now != widget && !widget->isAncestorOf(now) && now->window() == this;
        if (widget == dtcData0 && left)
            ConfermaContropartita();
        // The causale is chosen once, when the movement is new.
        if (widget == cmbData && m_Stato == StatoNuovo && left) {
            ImpostaCausale();
            cmbData->setEnabled(false);
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void frm_io_MovMag_01::closeEvent(QCloseEvent *event)
{
    if (!event->spontaneous() || m_Chiusa || m_Stato == 0) {
        // A close the program asks for (at its exit) drops what is not saved.
        event->accept();
        m_Chiusa = true;
        return;
    }
    // The user closes the window from its title bar or with Alt+F4 (the
    // window manager may keep the close button the window asked it to
    // drop): as with Esc, where lines would be lost the question comes
    // first, and No loses nothing.
    event->ignore();
    if ((m_Stato == StatoNuovo || m_Stato == StatoModifica) && RigheInCorso() && !Abbandona())
        return;
    gexDet->cancelRow();
    ChiudiFinestra();
}

void frm_io_MovMag_01::reject()
{
    // Esc is the window's own key (Annulla or Chiudi).
}
