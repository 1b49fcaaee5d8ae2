#include "records/FinestraCliFor.h"

#include "platform/data/Recordset.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>

using platform::Variant;

namespace {

struct Campo
{
    const char *colonna;
    const char *suggerimento;
};

const Campo Campi[] = {
    {"Nome", "Nominativo (se privato) o Ragione Sociale (se azienda)"},
    {"Indirizzo", "Indirizzo (Via, Piazza etc.)"},
    {"CAP", "Codice di avviamento postale"},
    {"Località", "Località"},
    {"Prov", "Provincia"},
    {"PIVA", "Codice Fiscale (se privato) o Partita IVA (se azienda)"},
    {"Telefono", "Telefono fisso"},
    {"Cellulare", "Cellulare"},
    {"Fax", "Fax"},
    {"Email", "Indirizzo di posta elettronica"},
};

} // namespace

FinestraCliFor::FinestraCliFor(const Tipo &tipo, QWidget *parent)
    : FinestraRecord({QStringLiteral("CliFor"), QStringLiteral("IdCliFor"), QStringLiteral("IdCliFor")}, tipo.titolo,
                     parent)
    , m_Tipo(tipo)
{
    setObjectName(tipo.nome);
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    auto *page = new QWidget(SSTab1);
    SSTab1->addTab(page, QStringLiteral("Generale"));
    // The single page's tab is no stop of the tab order.
    SSTab1->setFocusPolicy(Qt::NoFocus);
    SSTab1->tabBar()->setFocusPolicy(Qt::NoFocus);
    Contenuto()->addWidget(SSTab1);

    for (std::size_t i = 0; i < txtData.size(); ++i) {
        txtData[i] = new QLineEdit(page);
        txtData[i]->setObjectName(QStringLiteral("txtData%1").arg(i));
        txtData[i]->setToolTip(QString::fromUtf8(Campi[i].suggerimento));
        Collega(txtData[i], QString::fromUtf8(Campi[i].colonna));
    }
    txtNote = new QPlainTextEdit(page);
    txtNote->setObjectName(QStringLiteral("txtData10"));
    txtNote->setToolTip(QStringLiteral("Note"));
    txtNote->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Collega(txtNote, QStringLiteral("Note"));

    // A label, then one box or a line of three. A short box is as wide as
    // the widest text it takes (its sample); a box without one grows.
    const int chars = fontMetrics().averageCharWidth();
    auto *grid = new QGridLayout(page);
    const auto row = [&](int r, const QString &caption, const QList<std::pair<int, QString>> &boxes) {
        auto *label = new QLabel(caption, page);
        label->setBuddy(txtData[static_cast<std::size_t>(boxes.front().first)]);
        grid->addWidget(label, r, 0);
        auto *line = new QHBoxLayout;
        for (const auto &[box, sample] : boxes) {
            QLineEdit *edit = txtData[static_cast<std::size_t>(box)];
            if (!sample.isEmpty()) {
                const QMargins margins = edit->textMargins();
                const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
                // The line edit keeps two pixels inside its frame on each side.
                edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(sample) + margins.left() + margins.right()
                                    + 2 * frame + 2 * 2 + chars);
            }
            line->addWidget(edit, sample.isEmpty() ? 1 : 0);
        }
        grid->addLayout(line, r, 1);
    };
    row(0, QStringLiteral("Nome o Ragione Sociale:"), {{0, {}}});
    row(1, QStringLiteral("Indirizzo:"), {{1, {}}});
    row(2, QStringLiteral("CAP/Località/Prov.:"), {{2, QStringLiteral("00000000")}, {3, {}}, {4, QStringLiteral("WWWWW")}});
    row(3, QStringLiteral("Codice Fiscale o p.IVA:"), {{5, {}}});
    row(4, QStringLiteral("Telefono/Cellulare/Fax:"), {{6, {}}, {7, {}}, {8, {}}});
    row(5, QStringLiteral("E-Mail:"), {{9, {}}});
    grid->addWidget(txtNote, 6, 0, 1, 2);
    grid->setRowStretch(6, 1);
    grid->setColumnStretch(1, 1);
    txtData[0]->setMinimumWidth(chars * 50);
    txtNote->setMinimumHeight(txtData[0]->sizeHint().height() * 4);

    AggiungiBarraStato();

    Obbligatorio(txtData[0]);
    QList<QWidget *> order(txtData.begin(), txtData.end());
    order << txtNote << cmdSalva() << cmdAnnulla();
    OrdineTab(order);
}

Variant FinestraCliFor::Nuovo(int modal)
{
    return ApriNuovo(modal);
}

Variant FinestraCliFor::Apri(std::int32_t idCliFor, int modal)
{
    return ApriEsistente(idCliFor, modal);
}

void FinestraCliFor::ValoriNuovo(platform::Recordset &record)
{
    record.setValue(QStringLiteral("Tipo"), m_Tipo.tipo);
}

void FinestraCliFor::Imposta()
{
    if (Modo() == ModoNuovo)
        setWindowTitle(m_Tipo.titoloNuovo);
    else
        setWindowTitle(txtData[0]->text() + m_Tipo.suffisso);
}

void FinestraCliFor::Lasciato(QWidget *control)
{
    // The title follows every change of the name.
    if (control == txtData[0])
        setWindowTitle(txtData[0]->text() + m_Tipo.suffisso);
}

frm_io_Clienti::frm_io_Clienti(QWidget *parent)
    : FinestraCliFor({QStringLiteral("frm_io_Clienti"), QStringLiteral("Cliente"), QStringLiteral("Clienti"),
                      QStringLiteral("Clienti"), QStringLiteral(" (cliente)")},
                     parent)
{
}

frm_io_Fornitori_01::frm_io_Fornitori_01(QWidget *parent)
    : FinestraCliFor({QStringLiteral("frm_io_Fornitori_01"), QStringLiteral("Fornitore"), QStringLiteral("Fornitori"),
                      QStringLiteral("Nuovo fornitore"), QStringLiteral(" (fornitore)")},
                     parent)
{
}
