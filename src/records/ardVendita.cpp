#include "records/ardVendita.h"

#include "common/comRepLib.h"
#include "common/comUtilityReport.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportLayout.h"
#include "records/FinestraRecord.h"
#include "shell/MainModule.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QToolBar>

#include <algorithm>
#include <memory>

using platform::Variant;
using platform::report::FontSpec;
using platform::report::FormatContext;
using platform::report::PreviewTool;
using platform::report::PreviewWindow;
using platform::report::ReportControl;
using platform::report::ReportLayout;
using platform::report::ReportSection;
using platform::report::TextAlign;

namespace {

// One row per line of the movement, its lines in their order.
const QString Sql = QStringLiteral(
    "SELECT MagazRegMain.IdReg, MagazRegMain.DataIns, MagazRegMain.Progressivo, MagazRegMain.Causale, CliFor.Nome, "
    "MagazRegDetail.Riga, MagazRegDetail.CodiceArticolo, Articoli.Descrizione, Articoli.UM, "
    "Abs([Quantità]) AS Quanti, MagazRegDetail.Costo, MagazRegDetail.Prezzo "
    "FROM (Articoli INNER JOIN (MagazRegMain INNER JOIN MagazRegDetail ON MagazRegMain.IdReg = MagazRegDetail.IdReg) "
    "ON Articoli.Codice = MagazRegDetail.CodiceArticolo) "
    "LEFT JOIN CliFor ON MagazRegMain.IdContropartita = CliFor.IdCliFor "
    "WHERE MagazRegMain.IdReg = ? ORDER BY MagazRegDetail.Riga, MagazRegDetail.IdDet");

// Geometry in twips: A4 with 2 cm margins, one text row per line.
constexpr double Margine = 1134;
constexpr double AltezzaRiga = 300;
constexpr double AltoTesto = 30;
constexpr double AltezzaTesto = 255;
constexpr double AltoIntestazioni = 60;
constexpr double LineaIntestazioni = 420;

// A column of the lines: its heading and its field share left edge and
// width. The cost and the price share the last place, under one heading
// that the sign captions (no text of its own here).
struct Colonna {
    const char *etichetta;
    const char *intestazione;
    const char *campo;
    const char *dato;
    double left;
    double width;
    TextAlign align = TextAlign::Left;
    const char *formato = "";
};
// The quantity and the value hold "-999.999.999,99".
constexpr double LeftValore = 7938;
constexpr double LarghezzaValore = 1700;
constexpr Colonna Colonne[] = {
    // label, heading, field, column, left, width, alignment, format
    {"lblCodice", " Codice Articolo", "txtCodice", "CodiceArticolo", 0, 1900},
    {"lblDescrizione", "Descrizione", "txtDescrizione", "Descrizione", 2000, 3288},
    {"lblUM", "UM", "txtUM", "UM", 5388, 700},
    {"lblQuantita", "Quantità", "Quanti", "Quanti", 6188, 1700, TextAlign::Right, "#,##0.00"},
    {"lblCostoPrezzo", nullptr, "txtCosto", "Costo", LeftValore, LarghezzaValore, TextAlign::Right, "#,##0.00"},
    {nullptr, nullptr, "txtPrezzo", "Prezzo", LeftValore, LarghezzaValore, TextAlign::Right, "#,##0.00"},
};

FontSpec Carattere(bool bold = false)
{
    FontSpec font;
    font.family = QStringLiteral("DejaVu Sans");
    font.size = 10;
    font.bold = bold;
    return font;
}

ReportControl &Etichetta(ReportSection &section, const QString &nome, const QString &testo, double left,
                         double top, double width, TextAlign align = TextAlign::Left)
{
    ReportControl &label = section.addLabel(nome, testo, left, top, width, AltezzaTesto);
    label.font = Carattere(true);
    label.alignment = align;
    label.wordWrap = false;
    return label;
}

ReportControl &Campo(ReportSection &section, const QString &nome, const QString &dato, double left, double top,
                     double width, TextAlign align = TextAlign::Left)
{
    ReportControl &field = section.addField(nome, dato, left, top, width, AltezzaTesto);
    field.font = Carattere();
    field.alignment = align;
    return field;
}

// The document of one movement: causale, date, number and counterpart,
// then the lines under their column headings (repeated at the top of
// every further page), then the total as the movement window shows it.
// The sign chooses the counterpart's heading and the value column: the
// supplier and the cost for +1, the customer and the price otherwise.
class DocumentoMovimento : public ReportLayout
{
public:
    DocumentoMovimento(std::int16_t segno, const QString &totale)
    {
        setName(QStringLiteral("ardVendita"));
        setDocumentName(QStringLiteral("Movimento di magazzino"));
        page().leftMargin = page().rightMargin = Margine;
        page().topMargin = page().bottomMargin = Margine;
        const bool carico = segno == 1;

        reportHeader().height = 0;
        reportFooter().height = 0;
        pageFooter().height = 0;
        Intestazioni(pageHeader(), carico);
        setFormatHandler(pageHeader().name, [](FormatContext &context) {
            // The first page has the headings under the movement's own.
            context.section().visible = context.pageNumber() > 1;
        });

        Testata(addGroup(QStringLiteral("ghMovimento"), QStringLiteral("gfMovimento"), QStringLiteral("IdReg")),
                carico);
        // A group of its own for the headings: the counterpart's name above
        // may take two lines without running into them.
        Intestazioni(addGroup(QStringLiteral("ghColonne"), QStringLiteral("gfColonne"), QStringLiteral("IdReg")),
                     carico);
        groupFooter(1).height = 0;

        Righe(carico);
        Piede(totale);
    }

private:
    void Testata(ReportSection &section, bool carico)
    {
        section.canGrow = true;
        section.height = 780;
        Etichetta(section, QStringLiteral("lblCausale"), QStringLiteral("Causale:"), 0, 0, 1100);
        Campo(section, QStringLiteral("txtCausale"), QStringLiteral("Causale"), 1150, 0, 3100).canGrow = true;
        Etichetta(section, QStringLiteral("lblData"), QStringLiteral("Data:"), 4400, 0, 700);
        Campo(section, QStringLiteral("txtData"), QStringLiteral("DataIns"), 5150, 0, 1400).outputFormat =
            QStringLiteral("dd/mm/yyyy");
        Etichetta(section, QStringLiteral("lblProgressivo"), QStringLiteral("Progressivo:"), 6700, 0, 1500);
        Campo(section, QStringLiteral("txtProgressivo"), QStringLiteral("Progressivo"), 8250, 0, 1388);
        Etichetta(section, QStringLiteral("lblCliFor"), carico ? QStringLiteral("Fornitore") : QStringLiteral("Cliente"),
                  0, 360, 1100);
        Campo(section, QStringLiteral("txtNome"), QStringLiteral("Nome"), 1150, 360, printWidth() - 1150).canGrow = true;
    }

    void Intestazioni(ReportSection &section, bool carico) const
    {
        section.height = LineaIntestazioni + 75;
        for (const Colonna &c : Colonne) {
            if (!c.etichetta)
                continue;
            const QString testo = c.intestazione ? QString::fromUtf8(c.intestazione)
                                                 : (carico ? QStringLiteral("Costo") : QStringLiteral("Prezzo"));
            Etichetta(section, QLatin1String(c.etichetta), testo, c.left, AltoIntestazioni, c.width, c.align);
        }
        section.addLine(QStringLiteral("linIntestazioni"), 0, LineaIntestazioni, printWidth(), LineaIntestazioni);
    }

    void Righe(bool carico)
    {
        ReportSection &section = detail();
        section.height = AltezzaRiga;
        section.canGrow = true;
        for (const Colonna &c : Colonne) {
            ReportControl &field =
                Campo(section, QLatin1String(c.campo), QString::fromUtf8(c.dato), c.left, AltoTesto, c.width, c.align);
            field.outputFormat = QLatin1String(c.formato);
            field.canGrow = true;
        }
        // One value column: the cost of loads, the price of unloads.
        control(QStringLiteral("txtCosto")).visible = carico;
        control(QStringLiteral("txtPrezzo")).visible = !carico;
    }

    void Piede(const QString &totale)
    {
        ReportSection &section = groupFooter(0);
        section.height = 540;
        section.addLine(QStringLiteral("linTotale"), 0, 60, printWidth(), 60);
        const double width = 5000;
        Etichetta(section, QStringLiteral("lblTot"), QStringLiteral("Totale:   ") + totale, printWidth() - width, 180,
                  width, TextAlign::Right);
    }
};

std::shared_ptr<platform::Recordset> LeggiRighe(std::int32_t idReg)
{
    platform::Connection connection(MainModule::ConnString);
    auto righe = std::make_shared<platform::Recordset>();
    righe->open(Sql, connection, platform::CursorType::Static, platform::LockType::ReadOnly,
                platform::CommandType::Text, {Variant(idReg)});
    righe->setActiveConnection(nullptr);
    return righe;
}

// The printer of the preview's print tool, chosen in its toolbar among the
// installed ones (the system's default one first chosen).
void AggiungiSceltaStampante(PreviewWindow &preview, ReportLayout &documento)
{
    auto *stampanti = new QComboBox(preview.toolBar());
    stampanti->setObjectName(QStringLiteral("cmbprinters"));
    stampanti->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    const int count = std::min<int>(MainModule::InstalledPrinterCount, MainModule::InstalledPrinters.size());
    for (int i = 0; i < count; ++i)
        stampanti->addItem(MainModule::InstalledPrinters.at(i));
    stampanti->setCurrentIndex(stampanti->findText(platform::desktop().defaultPrinter(), Qt::MatchExactly));
    stampanti->setEnabled(count > 0);
    documento.setPrinterName(stampanti->currentText());
    QObject::connect(stampanti, &QComboBox::currentTextChanged, stampanti,
                     [&documento](const QString &nome) { documento.setPrinterName(nome); });

    auto *etichetta = new QLabel(QStringLiteral(" Stampante: "), preview.toolBar());
    etichetta->setBuddy(stampanti);
    QAction *print = preview.tool(PreviewTool::Print);
    preview.toolBar()->insertWidget(print, etichetta);
    preview.toolBar()->insertWidget(print, stampanti);
}

// Keeps a document and its preview: both go when the user closes the
// preview, or with the window the document was printed from. A window
// keeps one document: printing again replaces it.
class Anteprima : public QObject
{
public:
    Anteprima(std::unique_ptr<DocumentoMovimento> documento, QWidget *owner)
        : QObject(owner), m_documento(std::move(documento))
    {
        setObjectName(NomeOggetto);
        PreviewWindow *preview = m_documento->showPreview(owner);
        comUtility::SetupReportToolbar(*m_documento, true);
        AggiungiSceltaStampante(*preview, *m_documento);
        preview->installEventFilter(this);
    }

    static void Sostituisci(std::unique_ptr<DocumentoMovimento> documento, QWidget *owner)
    {
        if (owner)
            delete owner->findChild<Anteprima *>(NomeOggetto, Qt::FindDirectChildrenOnly);
        new Anteprima(std::move(documento), owner);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close && watched == m_documento->previewWindow())
            deleteLater();
        return QObject::eventFilter(watched, event);
    }

private:
    static inline const QString NomeOggetto = QStringLiteral("ardVendita");
    std::unique_ptr<DocumentoMovimento> m_documento;
};

} // namespace

namespace ardVendita {

void Stampa(std::int32_t idReg, std::int16_t segno, const QString &totale, QWidget *parent)
{
    try {
        auto documento = std::make_unique<DocumentoMovimento>(segno, totale);
        documento->setRecordset(LeggiRighe(idReg));
        if (documento->recordset()->rowCount() == 0) {
            // Deleted by another user since the window read it.
            platform::desktop().msgBox(FinestraRecord::MsgModificata, platform::vbOKOnly,
                                       MainModule::ApplicationTitle);
            return;
        }
        documento->run();
        Anteprima::Sostituisci(std::move(documento), parent);
    } catch (const platform::RuntimeError &e) {
        comRepLib::MostraErrore(e);
    }
}

} // namespace ardVendita
