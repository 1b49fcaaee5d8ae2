#include "records/FinestraRecord.h"

#include "platform/base/Format.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/ConflictError.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/desktop/WindowPlacement.h"
#include "common/comUtility.h"
#include "records/FiltriTesto.h"
#include "records/PulsantiInvio.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

using platform::DateTime;
using platform::Recordset;
using platform::Variant;

namespace {

enum Tipo { Testo, Note, Casella, Data, Lista };

// The date a date picker shows for a Null date (shown as a blank).
const QDate DataVuota(1752, 9, 14);

// Two values of a column alike: Null and Empty both mean no value.
bool Uguali(const Variant &a, const Variant &b)
{
    const bool vuotoA = a.isNull() || a.isEmpty();
    const bool vuotoB = b.isNull() || b.isEmpty();
    return vuotoA || vuotoB ? vuotoA == vuotoB : a == b;
}

} // namespace

// One control bound to one column of the record.
struct FinestraRecord::Legame
{
    QWidget *controllo = nullptr;
    QString campo;
    Tipo tipo = Testo;
    QString formato;
    bool numerico = false;
    bool obbligatorio = false;
    bool codice = false;
};

FinestraRecord::FinestraRecord(Tabella tabella, const QString &titolo, QWidget *parent)
    : QDialog(parent)
    , m_Tabella(std::move(tabella))
{
    setWindowTitle(titolo);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *layout = new QVBoxLayout(this);
    m_contenuto = new QVBoxLayout;
    layout->addLayout(m_contenuto, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cmdSalva = new QPushButton(QStringLiteral("Salva"), this);
    m_cmdSalva->setObjectName(QStringLiteral("cmdSalva"));
    m_cmdAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    m_cmdAnnulla->setObjectName(QStringLiteral("cmdAnnulla"));
    // No button is the default: Enter in a field moves on and never saves
    // or cancels; Enter on a focused button clicks it.
    for (QPushButton *button : {m_cmdSalva, m_cmdAnnulla}) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->installEventFilter(this);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    PulsantiInvio::Applica(this);
    connect(m_cmdSalva, &QPushButton::clicked, this, [this] { cmdSalva_Click(); });
    connect(m_cmdAnnulla, &QPushButton::clicked, this, [this] { cmdAnnulla_Click(); });

    platform::keepOnScreen(this);
}

FinestraRecord::~FinestraRecord()
{
    Chiudi();
}

QLabel *FinestraRecord::Pannello(int index) const
{
    return index >= 1 && index <= 2 ? m_Pannelli[index - 1] : nullptr;
}

QStatusBar *FinestraRecord::AggiungiBarraStato()
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("sb"));
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        m_Pannelli[i] = new QLabel(bar);
        m_Pannelli[i]->setObjectName(QStringLiteral("sbPanel%1").arg(i + 1));
        bar->addWidget(m_Pannelli[i], i == 0 ? 3 : 1);
    }
    static_cast<QVBoxLayout *>(layout())->addWidget(bar);
    return bar;
}

// ---------------------------------------------------------------- opening

Variant FinestraRecord::ApriNuovo(int modal)
{
    m_Modo = ModoNuovo;
    // The table's columns without its rows: the new row is the only one.
    return Apri(QStringLiteral("SELECT * FROM %1 WHERE False").arg(m_Tabella.nome), {}, modal);
}

Variant FinestraRecord::ApriEsistente(const Variant &key, int modal)
{
    m_Modo = ModoEsistente;
    return Apri(QStringLiteral("SELECT * FROM %1 WHERE %2=?").arg(m_Tabella.nome, m_Tabella.chiave), {key}, modal);
}

Variant FinestraRecord::Apri(const QString &source, const QList<Variant> &parameters, int modal)
{
    m_Modale = modal == 1;
    bool vanished = false;
    try {
        CaricaListe();
        m_cn.open(MainModule::ConnString);
        m_rs = std::make_unique<Recordset>();
        m_rs->open(source, m_cn, platform::CursorType::Static, platform::LockType::BatchOptimistic,
                   platform::CommandType::Text, parameters);
        if (m_Modo == ModoNuovo) {
            m_rs->addNew();
            ValoriNuovo(*m_rs);
        } else {
            vanished = m_rs->isEOF();
        }
    } catch (const platform::RuntimeError &e) {
        Chiudi();
        MostraErrore(e.description());
        Termina(false);
        return Variant::null();
    }
    if (vanished) {
        // Deleted by someone else since the list showed it.
        Chiudi();
        platform::desktop().msgBox(MsgModificata, platform::vbOKOnly, MainModule::ApplicationTitle);
        WindowRegistry::AggiornaPrincipale();
        Termina(false);
        return Variant::null();
    }

    m_Originali.clear();
    for (int i = 0; i < m_rs->fieldCount(); ++i)
        m_Originali.push_back(m_rs->value(i));
    for (const auto &legame : m_Legami)
        MostraLegame(*legame);
    if (m_Modale)
        m_cmdSalva->setText(QStringLiteral("Inserisci"));
    Imposta();
    Mostra();
    return m_Modale ? m_Risultato : Variant();
}

void FinestraRecord::Mostra()
{
    // The user starts in the first field that can be edited, not on a button.
    for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (LegameDi(w) && w->isEnabled()) {
            w->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
    if (!m_Modale) {
        show();
        raise();
        activateWindow();
        return;
    }
    exec();
}

// ---------------------------------------------------------------- binding

void FinestraRecord::Registra(QWidget *control, const QString &field, int kind, const QString &format)
{
    auto legame = std::make_unique<Legame>();
    legame->controllo = control;
    legame->campo = field;
    legame->tipo = static_cast<Tipo>(kind);
    legame->formato = format;
    control->installEventFilter(this);
    m_Legami.push_back(std::move(legame));
}

void FinestraRecord::Collega(QLineEdit *edit, const QString &field, const QString &format)
{
    Registra(edit, field, Testo, format);
}

void FinestraRecord::Collega(QPlainTextEdit *edit, const QString &field)
{
    edit->setTabChangesFocus(true);
    Registra(edit, field, Note, {});
}

void FinestraRecord::Collega(QCheckBox *box, const QString &field)
{
    Registra(box, field, Casella, {});
    connect(box, &QCheckBox::toggled, this, [this, box] {
        if (const Legame *legame = LegameDi(box); legame && m_rs && !m_Mostrando)
            Scrivi(*legame);
    });
}

void FinestraRecord::Collega(QDateEdit *date, const QString &field)
{
    date->setMinimumDate(DataVuota);
    // Four-digit years: a date is never read in the wrong century.
    date->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    date->setSpecialValueText(QStringLiteral(" "));
    date->setCalendarPopup(true);
    Registra(date, field, Data, {});
}

void FinestraRecord::Collega(ComboDati *combo, const QString &field)
{
    Registra(combo, field, Lista, {});
    connect(combo, &QComboBox::currentIndexChanged, this, [this, combo](int index) {
        const Legame *legame = LegameDi(combo);
        if (!legame || !m_rs || m_Mostrando || index < 0)
            return;
        Scrivi(*legame);
        ComboCambiato(combo);
    });
}

void FinestraRecord::ComeCodice(QLineEdit *edit)
{
    FiltriTesto::Codice(edit);
    if (Legame *legame = LegameDi(edit))
        legame->codice = true;
}

void FinestraRecord::ImpostaFormato(QLineEdit *edit, const QString &format)
{
    if (Legame *legame = LegameDi(edit)) {
        legame->formato = format;
        if (m_rs)
            MostraLegame(*legame);
    }
}

void FinestraRecord::Obbligatorio(QLineEdit *edit)
{
    if (Legame *legame = LegameDi(edit))
        legame->obbligatorio = true;
}

void FinestraRecord::OrdineTab(const QList<QWidget *> &order)
{
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

FinestraRecord::Legame *FinestraRecord::LegameDi(const QObject *control)
{
    for (const auto &legame : m_Legami)
        if (legame->controllo == control)
            return legame.get();
    return nullptr;
}

const FinestraRecord::Legame *FinestraRecord::LegameDi(const QObject *control) const
{
    return const_cast<FinestraRecord *>(this)->LegameDi(control);
}

QString FinestraRecord::TestoCampo(const QLineEdit *edit) const
{
    const Legame *legame = LegameDi(edit);
    if (!legame || !m_rs)
        return {};
    const Variant value = m_rs->value(legame->campo);
    if (value.isNull() || value.isEmpty())
        return {};
    return legame->formato.isEmpty() ? value.toString() : platform::formatValue(value, legame->formato);
}

void FinestraRecord::MostraLegame(const Legame &legame)
{
    const int field = m_rs->fieldIndex(legame.campo);
    const Variant value = m_rs->value(field);
    const platform::ColumnType type = m_rs->fieldInfo(field).type;
    const_cast<Legame &>(legame).numerico = type.isNumeric();
    m_Mostrando = true;
    switch (legame.tipo) {
    case Testo: {
        auto *edit = static_cast<QLineEdit *>(legame.controllo);
        if (type.type() == platform::DataType::adVarWChar && type.definedSize() > 0)
            edit->setMaxLength(type.definedSize());
        edit->setText(TestoCampo(edit));
        // A long text shows its beginning.
        edit->setCursorPosition(0);
        break;
    }
    case Note:
        static_cast<QPlainTextEdit *>(legame.controllo)
            ->setPlainText(value.isNull() || value.isEmpty() ? QString() : value.toString());
        break;
    case Casella:
        static_cast<QCheckBox *>(legame.controllo)->setChecked(!value.isNull() && !value.isEmpty() && value.toBool());
        break;
    case Data:
        static_cast<QDateEdit *>(legame.controllo)
            ->setDate(value.isDate() ? value.toDate().date() : DataVuota);
        break;
    case Lista:
        static_cast<ComboDati *>(legame.controllo)->MostraValore(value);
        break;
    }
    m_Mostrando = false;
}

FinestraRecord::Lettura FinestraRecord::Leggi(const Legame &legame) const
{
    const Variant stored = m_rs->value(legame.campo);
    Lettura lettura;
    lettura.valore = stored;
    switch (legame.tipo) {
    case Testo: {
        auto *edit = static_cast<QLineEdit *>(legame.controllo);
        const QString text = legame.codice ? edit->text().trimmed() : edit->text();
        const bool unchanged = text == TestoCampo(edit);
        // An empty box is not a number, unless it shows a stored number that
        // its format hides (a zero under "#,#").
        if (legame.numerico && text.trimmed().isEmpty() && !(unchanged && stored.isNumber())) {
            lettura.valida = false;
        } else if (unchanged) {
            // The stored value keeps its full precision; a code box may still
            // show blanks around it.
            lettura.cambiata = text != edit->text();
        } else if (legame.numerico) {
            const std::optional<double> number = platform::readTypedNumber(text);
            lettura.valida = number.has_value();
            lettura.cambiata = true;
            if (number)
                lettura.valore = *number;
        } else {
            lettura.cambiata = true;
            lettura.valore = text.isEmpty() ? Variant::null() : Variant(text);
        }
        break;
    }
    case Note: {
        const QString text = static_cast<QPlainTextEdit *>(legame.controllo)->toPlainText();
        lettura.valore = text.isEmpty() ? Variant::null() : Variant(text);
        lettura.cambiata = !Uguali(lettura.valore, stored);
        break;
    }
    case Casella: {
        const bool checked = static_cast<QCheckBox *>(legame.controllo)->isChecked();
        lettura.cambiata = checked != (!stored.isNull() && !stored.isEmpty() && stored.toBool());
        lettura.valore = checked;
        break;
    }
    case Data: {
        const QDate date = static_cast<QDateEdit *>(legame.controllo)->date();
        lettura.valore = date == DataVuota ? Variant::null() : Variant(DateTime(date));
        lettura.cambiata = stored.isDate() ? date != stored.toDate().date() : date != DataVuota;
        break;
    }
    case Lista: {
        const auto *combo = static_cast<const ComboDati *>(legame.controllo);
        // A combo the user did not touch keeps the stored value.
        if (!combo->Toccato())
            break;
        if (const std::optional<int> chosen = combo->Scelta()) {
            lettura.valore = combo->ValoreVoce(*chosen);
            lettura.cambiata = true;
        } else {
            // Text that names no entry: only the stored value itself passes.
            lettura.valida = !stored.isNull() && !stored.isEmpty()
                && stored.toString() == combo->currentText().trimmed();
        }
        break;
    }
    }
    return lettura;
}

bool FinestraRecord::Scrivi(const Legame &legame)
{
    const Lettura lettura = Leggi(legame);
    if (!lettura.valida || !ValoreAccettabile(legame.controllo, lettura.valore))
        return false;
    if (!lettura.cambiata)
        return true;
    if (legame.tipo == Lista) {
        // The combo shows the entry its text named.
        m_Mostrando = true;
        static_cast<ComboDati *>(legame.controllo)->Conferma();
        m_Mostrando = false;
    }
    if (!(lettura.valore == m_rs->value(legame.campo)))
        m_rs->setValue(legame.campo, lettura.valore);
    if (legame.tipo == Testo)
        MostraLegame(legame);
    return true;
}

Variant FinestraRecord::Valore(const QString &field) const
{
    return m_rs ? m_rs->value(field) : Variant::null();
}

void FinestraRecord::ImpostaValore(const QString &field, const Variant &value)
{
    if (!m_rs)
        return;
    m_rs->setValue(field, value);
    MostraCampo(field);
}

void FinestraRecord::MostraCampo(const QString &field)
{
    if (!m_rs)
        return;
    for (const auto &legame : m_Legami)
        if (legame->campo.compare(field, Qt::CaseInsensitive) == 0)
            MostraLegame(*legame);
}

// ---------------------------------------------------------------- focus and keys

bool FinestraRecord::InvioAvanza(const QWidget *control) const
{
    return qobject_cast<const QLineEdit *>(control) || qobject_cast<const QPlainTextEdit *>(control)
        || qobject_cast<const QDateEdit *>(control);
}

bool FinestraRecord::ControlloValido(QWidget *control)
{
    const Legame *legame = LegameDi(control);
    if (!legame || !m_rs || !control->isEnabled())
        return true;
    if (legame->obbligatorio && static_cast<QLineEdit *>(control)->text().trimmed().isEmpty())
        return false;
    if (!Scrivi(*legame))
        return false;
    return Convalida(control);
}

bool FinestraRecord::ConvalidaTutto()
{
    // The control being left first, then every other in tab order.
    QWidget *current = focusWidget();
    if (current && LegameDi(current) && !ControlloValido(current)) {
        current->setFocus(Qt::OtherFocusReason);
        return false;
    }
    for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (w == current || !LegameDi(w) || !w->isEnabled())
            continue;
        if (!ControlloValido(w)) {
            m_Ripristino = true;
            w->setFocus(Qt::OtherFocusReason);
            m_Ripristino = false;
            return false;
        }
    }
    return true;
}

void FinestraRecord::ControlloLasciato(QWidget *control, Qt::FocusReason reason)
{
    // Losing the focus to another window or to a popup is not leaving.
    if (m_Ripristino || m_Finita || !m_rs || reason == Qt::ActiveWindowFocusReason
        || reason == Qt::PopupFocusReason)
        return;
    if (!ControlloValido(control)) {
        QTimer::singleShot(0, control, [this, control] {
            m_Ripristino = true;
            control->setFocus(Qt::OtherFocusReason);
            if (auto *edit = qobject_cast<QLineEdit *>(control))
                comUtility::SelectAllFromStart(edit);
            m_Ripristino = false;
        });
        return;
    }
    Lasciato(control);
}

void FinestraRecord::MostraSuggerimento(QWidget *control)
{
    if (!m_Pannelli[0])
        return;
    m_Pannelli[0]->setText(control->toolTip());
    m_Pannelli[1]->setText(qobject_cast<QComboBox *>(control) ? SuggerimentoLista : QString());
}

bool FinestraRecord::eventFilter(QObject *watched, QEvent *event)
{
    auto *control = qobject_cast<QWidget *>(watched);
    if (!control)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        MostraSuggerimento(control);
        if (auto *edit = qobject_cast<QLineEdit *>(control))
            QTimer::singleShot(0, edit, [edit] { comUtility::SelectAllFromStart(edit); });
        break;
    case QEvent::FocusOut:
        if (LegameDi(control))
            ControlloLasciato(control, static_cast<QFocusEvent *>(event)->reason());
        break;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (TastoControllo(control, key))
            return true;
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && InvioAvanza(control)) {
            focusNextChild();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- save and cancel

bool FinestraRecord::cmdSalva_Click()
{
    if (!m_rs || m_Finita || !ConvalidaTutto())
        return false;
    try {
        m_cn.beginTrans();
        try {
            m_rs->updateBatch(platform::AffectRecords::Current);
            m_Risultato = m_rs->value(m_Tabella.chiaveRisultato);
            SalvaAltro(m_cn);
            m_cn.commitTrans();
        } catch (...) {
            try {
                if (m_cn.transactionLevel() > 0)
                    m_cn.rollbackTrans();
            } catch (const platform::RuntimeError &) {
                // The save's own error is the one the user reads.
            }
            throw;
        }
    } catch (const platform::ConflictError &) {
        m_Risultato = Variant::null();
        platform::desktop().msgBox(MsgModificata + QStringLiteral("\r\n") + MsgNonSalvate, platform::vbOKOnly,
                                   MainModule::ApplicationTitle);
        cmdAnnulla_Click();
        WindowRegistry::AggiornaPrincipale();
        return false;
    } catch (const platform::RuntimeError &e) {
        // The edits stay in the window, so the user can correct and save again.
        m_Risultato = Variant::null();
        MostraErrore(e.description());
        return false;
    }
    Chiudi();
    DopoSalvataggio();
    Termina(true);
    return true;
}

void FinestraRecord::cmdAnnulla_Click()
{
    if (m_Finita)
        return;
    if (m_rs) {
        try {
            m_rs->cancelBatch(platform::AffectRecords::All);
        } catch (const platform::RuntimeError &) {
            // The record is dropped with its connection anyway.
        }
    }
    m_Risultato = Variant::null();
    Chiudi();
    Termina(false);
}

void FinestraRecord::reject()
{
    cmdAnnulla_Click();
}

void FinestraRecord::closeEvent(QCloseEvent *event)
{
    // A close the user asks for from the title bar (or with the window
    // manager's keys) goes the way of Annulla, but a record with changes is
    // dropped only once the user says so. A close by the program itself
    // drops the record as before.
    if (event->spontaneous() && !m_Finita && m_rs && isVisible() && Modificato()
        && platform::desktop().msgBox(MsgAbbandona, platform::vbYesNo, MainModule::ApplicationTitle)
            != platform::vbYes) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool FinestraRecord::Modificato() const
{
    if (!m_rs)
        return false;
    for (const auto &legame : m_Legami) {
        const Lettura lettura = Leggi(*legame);
        if (!lettura.valida || (lettura.cambiata && !Uguali(lettura.valore, m_rs->value(legame->campo))))
            return true;
    }
    for (int i = 0; i < m_rs->fieldCount() && i < static_cast<int>(m_Originali.size()); ++i)
        if (!Uguali(m_rs->value(i), m_Originali[static_cast<std::size_t>(i)]))
            return true;
    return false;
}

void FinestraRecord::Chiudi()
{
    if (m_rs) {
        try {
            m_rs->close();
        } catch (const platform::RuntimeError &) {
        }
        m_rs.reset();
    }
    try {
        m_cn.close();
    } catch (const platform::RuntimeError &) {
    }
}

void FinestraRecord::Termina(bool saved)
{
    m_Finita = true;
    if (m_Modale) {
        if (isVisible())
            done(saved ? Accepted : Rejected);
        return;
    }
    if (saved)
        WindowRegistry::AggiornaPrincipale();
    hide();
    deleteLater();
}

void FinestraRecord::MostraErrore(const QString &description)
{
    platform::desktop().msgBox(description, platform::vbCritical, MainModule::ApplicationTitle);
}
