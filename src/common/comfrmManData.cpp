#include "common/comfrmManData.h"

#include "platform/base/RuntimeError.h"
#include "platform/base/Twips.h"
#include "platform/data/Catalog.h"
#include "platform/data/Connection.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/desktop/WindowPlacement.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridColumn.h"
#include "platform/grid/GridDelegate.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QTableView>

#include <algorithm>
#include <utility>

namespace {

using platform::twipsToPixels;

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

// Layout, in twips.
constexpr int MinimumWidth = 6105;
constexpr int GridLeft = 60;
constexpr int GridTop = 535;
constexpr int GridWidthLess = 105;
constexpr int GridHeightLess = 580;

const QString LineBreak = QStringLiteral("\r\n");

} // namespace

comfrmManData::comfrmManData(const QString &connString, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Tabelle"));
    setSizeGripEnabled(true);
    setMinimumWidth(twipsToPixels(MinimumWidth));
    resize(twipsRect(0, 0, 9600, 6000).size());
    platform::keepOnScreen(this);

    picBottom = new QWidget(this);
    picBottom->setObjectName(QStringLiteral("picBottom"));
    picBottom->setGeometry(twipsRect(0, 0, MinimumWidth, 495));
    lblTabella = new QLabel(QStringLiteral("Tabella:"), picBottom);
    lblTabella->setObjectName(QStringLiteral("lblTabella"));
    lblTabella->setGeometry(twipsRect(60, 120, 735, 255));
    cmbTables = new QComboBox(picBottom);
    cmbTables->setObjectName(QStringLiteral("cmbTables"));
    cmbTables->setGeometry(twipsRect(840, 75, 3255, 315));
    cmbTables->setEditable(false);
    lblTabella->setBuddy(cmbTables);

    gexTable = new platform::Grid(this);
    gexTable->setObjectName(QStringLiteral("gexTable"));
    gexTable->setLockType(platform::LockType::Optimistic);
    gexTable->setRowHeaders(true);
    gexTable->hide();

    connect(cmbTables, &QComboBox::activated, this, &comfrmManData::cmbTables_Click);
    connect(gexTable, &platform::Grid::dataError, this, &comfrmManData::gexTable_DataError);
    connect(gexTable, &platform::Grid::beforeUpdate, this,
            [this](platform::GridRowUpdate &) { m_action = Action::Save; });
    connect(gexTable, &platform::Grid::afterUpdate, this, [this](int) { m_action = Action::None; });
    connect(gexTable, &platform::Grid::beforeDelete, this, [this](platform::GridRowUpdate &) {
        m_action = Action::Delete;
    });
    connect(gexTable, &platform::Grid::afterDelete, this, [this](int) { m_action = Action::None; });
    connect(gexTable, &platform::Grid::currentCellChanged, this, [this](int, int) { m_action = Action::None; });

    if (!connString.isEmpty()) {
        gexTable->setConnectionString(connString);
        try {
            platform::Connection connection(connString);
            const platform::Catalog catalog(connection);
            for (const platform::CatalogTable &table : catalog.tables()) {
                if (table.type() == QStringLiteral("TABLE"))
                    cmbTables->addItem(table.name());
            }
        } catch (const platform::RuntimeError &e) {
            cmbTables->clear();
            platform::desktop().msgBox(LoadErrorText(e.description()), platform::vbOKOnly | platform::vbExclamation);
        }
    }
    // No table is chosen until the user picks one.
    cmbTables->setCurrentIndex(-1);
    cmbTables->setFocus();
}

comfrmManData::~comfrmManData() = default;

QString comfrmManData::LoadErrorText(const QString &description)
{
    return QStringLiteral("Impossibile leggere l'elenco delle tabelle.") + LineBreak + description;
}

QString comfrmManData::OpenErrorText(const QString &table, const QString &description)
{
    return QStringLiteral("Impossibile aprire la tabella ") + table + QStringLiteral(".") + LineBreak + description;
}

QString comfrmManData::SaveErrorText(const QString &description)
{
    return QStringLiteral("Impossibile salvare la riga.") + LineBreak + description;
}

QString comfrmManData::DeleteErrorText(const QString &description)
{
    return QStringLiteral("Impossibile eliminare la riga.") + LineBreak + description;
}

QString comfrmManData::ValueErrorText(const QString &field)
{
    return field.isEmpty() ? QStringLiteral("Valore non valido.")
                           : QStringLiteral("Valore non valido per il campo ") + field + u'.';
}

QString comfrmManData::DiscardRowText(const QString &description)
{
    return SaveErrorText(description) + LineBreak + LineBreak
           + QStringLiteral("Annullare le modifiche alla riga e chiudere la finestra?");
}

void comfrmManData::reject()
{
    if (!gexTable->isVisible() || SalvaPrimaDiChiudere())
        QDialog::reject();
}

bool comfrmManData::SalvaPrimaDiChiudere()
{
    m_closeError.clear();
    {
        const QScopedValueRollback closing(m_closing, true);
        if (gexTable->commitRow())
            return true;
    }
    // A refused value has had its message; the window stays.
    if (m_closeError.isEmpty())
        return false;
    const int answer = platform::desktop().msgBox(DiscardRowText(m_closeError),
                                                  platform::vbYesNo | platform::vbQuestion | platform::vbDefaultButton2);
    if (answer != platform::vbYes)
        return false;
    gexTable->cancelRow();
    return true;
}

void comfrmManData::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    const QSize client = size();
    picBottom->resize(client.width(), picBottom->height());
    gexTable->setGeometry(twipsToPixels(GridLeft), twipsToPixels(GridTop),
                          std::max(0, client.width() - twipsToPixels(GridWidthLess)),
                          std::max(0, client.height() - twipsToPixels(GridHeightLess)));
}

void comfrmManData::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void comfrmManData::cmbTables_Click(int index)
{
    if (index < 0)
        return;
    const QString table = cmbTables->itemText(index);
    gexTable->hide();
    try {
        gexTable->setRecordSource(QStringLiteral("SELECT * FROM ") + table);
        gexTable->rebind();
    } catch (const platform::RuntimeError &e) {
        // The list stays, so that another table can be chosen.
        platform::desktop().msgBox(OpenErrorText(table, e.description()), platform::vbOKOnly | platform::vbExclamation);
        return;
    }
    gexTable->setAllowEdit(true);
    gexTable->setAllowAddNew(true);
    gexTable->setAllowDelete(true);
    picBottom->hide();
    gexTable->show();
    gexTable->view()->setFocus();
}

void comfrmManData::gexTable_DataError(platform::GridDataError &error)
{
    error.showMessage = false;
    const Action action = std::exchange(m_action, Action::None);
    if (m_reporting)
        return;
    if (m_closing && action == Action::Save) {
        m_closeError = error.description;
        return;
    }
    const QScopedValueRollback reporting(m_reporting, true);
    const QString text = action == Action::Save     ? SaveErrorText(error.description)
                         : action == Action::Delete ? DeleteErrorText(error.description)
                                                    : ValueErrorText(CampoInModifica());
    platform::desktop().msgBox(text, platform::vbOKOnly | platform::vbExclamation);
    if (action == Action::None)
        RipristinaCella();
}

QString comfrmManData::CampoInModifica() const
{
    const QModelIndex cell = gexTable->delegate()->editorIndex();
    const platform::GridColumn *column = gexTable->column(cell.isValid() ? cell.column() + 1 : gexTable->col());
    return column ? column->caption() : QString();
}

void comfrmManData::RipristinaCella()
{
    const QModelIndex cell = gexTable->delegate()->editorIndex();
    if (!cell.isValid())
        return;
    const QString stored = gexTable->model()->editText(cell.row() + 1, cell.column() + 1);
    QWidget *editor = gexTable->delegate()->editor();
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        combo->setEditText(stored);
        combo->lineEdit()->selectAll();
    } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        line->setText(stored);
        line->selectAll();
    }
}
