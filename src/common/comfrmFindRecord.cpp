#include "common/comfrmFindRecord.h"

#include "common/comHelp.h"
#include "common/comTwipsRect.h"
#include "platform/base/Twips.h"
#include "platform/desktop/WindowPlacement.h"
#include "platform/grid/Grid.h"
#include "platform/grid/OleColor.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {

constexpr int DesignHeight = 3660;
constexpr int ButtonTop = 3165;
constexpr int ButtonWidth = 1215;
constexpr int ButtonHeight = 375;
// The running total of the column widths counts as at least this much.
constexpr float MinimumColumnsWidth = 6225.0f;
constexpr int WidthBeyondColumns = 500;
// The system's tool-tip background, the colour of the searched column.
constexpr std::uint32_t InfoBackground = 0x80000018u;

const QString SortedCol = QStringLiteral("SortedCol");

} // namespace

comfrmFindRecord::comfrmFindRecord(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("comfrmFindRecord"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    frmFind = new QGroupBox(this);
    frmFind->setObjectName(QStringLiteral("frmFind"));
    lblFindField = new QLabel(QStringLiteral("Trova.. "), frmFind);
    lblFindField->setObjectName(QStringLiteral("lblFindField"));
    lblFindField->setTextFormat(Qt::PlainText);
    txtFind = new QLineEdit(frmFind);
    txtFind->setObjectName(QStringLiteral("txtFind"));

    gexFind = new platform::Grid(this);
    gexFind->setObjectName(QStringLiteral("gexFind"));
    gexFind->setAllowEdit(false);

    auto button = [this](const QString &caption, const QString &name, int left) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setGeometry(comTwipsRect(left, ButtonTop, ButtonWidth, ButtonHeight));
        // The buttons act only when clicked: Enter and Esc belong to the
        // search box and the grid.
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };
    cmdInsert = button(QStringLiteral("Inserisci"), QStringLiteral("cmdInsert"), 120);
    cmdNew = button(QStringLiteral("Nuovo"), QStringLiteral("cmdNew"), 1395);
    cmdEdit = button(QStringLiteral("Modifica"), QStringLiteral("cmdEdit"), 2670);
    cmdCancel = button(QStringLiteral("Annulla"), QStringLiteral("cmdCancel"), DesignWidth - BorderWidth - 1365);

    setTabOrder(txtFind, gexFind);
    setTabOrder(gexFind, cmdInsert);
    setTabOrder(cmdInsert, cmdNew);
    setTabOrder(cmdNew, cmdEdit);
    setTabOrder(cmdEdit, cmdCancel);

    SetWindowWidth(DesignWidth);

    txtFind->installEventFilter(this);
    connect(txtFind, &QLineEdit::textChanged, this, &comfrmFindRecord::txtFind_Change);
    connect(gexFind, &platform::Grid::keyDown, this, &comfrmFindRecord::gexFind_KeyDown);
    connect(gexFind, &platform::Grid::keyPress, this, &comfrmFindRecord::gexFind_KeyPress);
    connect(gexFind, &platform::Grid::doubleClicked, this, &comfrmFindRecord::ChooseRecord);
    connect(gexFind, &platform::Grid::headerClicked, this, &comfrmFindRecord::gexFind_ColumnHeaderClick);
    // A click in the grid sends the focus back to the search box.
    connect(gexFind, &platform::Grid::clicked, this, [this] { txtFind->setFocus(Qt::OtherFocusReason); });
    connect(cmdInsert, &QPushButton::clicked, this, &comfrmFindRecord::ChooseRecord);
    connect(cmdNew, &QPushButton::clicked, this, &comfrmFindRecord::NewRecord);
    connect(cmdEdit, &QPushButton::clicked, this, &comfrmFindRecord::EditRecord);
    connect(cmdCancel, &QPushButton::clicked, this, &comfrmFindRecord::CancelFind);

    m_result = {platform::Variant(QStringLiteral("c")), platform::Variant::null()};
}

comfrmFindRecord::~comfrmFindRecord() = default;

comfrmFindRecord::Result comfrmFindRecord::Trova(const QString &ConnString, const QString &Titolo,
                                                 const QString &Query, std::int32_t ViewButs,
                                                 const QString &FormatString, std::int32_t RetCol,
                                                 const std::optional<platform::Variant> &SearchValue,
                                                 QWidget *owner)
{
    comfrmFindRecord dialog(owner ? owner : QApplication::activeWindow());
    // Nothing of an earlier call answers for this one.
    dialog.m_result = {platform::Variant(QStringLiteral("c")), platform::Variant::null()};
    dialog.m_keyColumn = RetCol;
    dialog.setWindowTitle(Titolo);
    dialog.cmdInsert->setEnabled((ViewButs & ButInsert) != 0);
    dialog.cmdNew->setEnabled((ViewButs & ButNew) != 0);
    dialog.cmdEdit->setEnabled((ViewButs & ButEdit) != 0);

    platform::Grid &grid = *dialog.gexFind;
    grid.hide();
    grid.setConnectionString(ConnString);
    grid.setRecordSource(Query);
    grid.rebind();

    grid.sortKeys().clear();
    if (!FormatString.isEmpty()) {
        const QStringList parts = FormatString.split(u';');
        const int sortColumn = parts.at(0).trimmed().toInt();
        grid.sortKeys().add(sortColumn > 0 ? sortColumn : 1, platform::SortOrder::Ascending);
        float total = 0;
        for (int i = 1; i < parts.size(); ++i) {
            bool ok = false;
            const int width = parts.at(i).trimmed().toInt(&ok);
            if (!ok)
                continue;
            if (platform::GridColumn *c = grid.column(i))
                c->setWidth(width);
            total += static_cast<float>(width);
        }
        if (total < MinimumColumnsWidth)
            total = MinimumColumnsWidth;
        dialog.SetWindowWidth(static_cast<int>(total) + WidthBeyondColumns);
    } else {
        grid.sortKeys().add(1, platform::SortOrder::Ascending);
    }

    grid.show();
    // The list opens at the top of its sorted rows.
    if (grid.rowCount() > 0)
        grid.setRow(1);
    if (SearchValue)
        grid.find(1, platform::FindCondition::EqualTo, *SearchValue);
    dialog.ShowSearchColumn();
    dialog.HighlightSortColumn(true);
    dialog.txtFind->setFocus();

    dialog.exec();
    return dialog.m_result;
}

void comfrmFindRecord::SetWindowWidth(int twips)
{
    m_windowWidth = twips;
    // Qt sizes the client area; the border is the window system's.
    setFixedSize(comTwipsRect(0, 0, twips - BorderWidth, DesignHeight).size());
    platform::keepOnScreen(this);
    Form_Resize();
}

void comfrmFindRecord::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void comfrmFindRecord::Form_Resize()
{
    const double clientWidth = platform::Twips::fromPixels(width()).value();
    frmFind->setGeometry(comTwipsRect(15, 0, clientWidth - 30, 780));
    lblFindField->setGeometry(comTwipsRect(60, 150, clientWidth - 150, 225));
    txtFind->setGeometry(comTwipsRect(60, 390, clientWidth - 150, 315));
    gexFind->setGeometry(comTwipsRect(15, 840, clientWidth - 30, 2175));
    cmdCancel->move(comTwipsRect(clientWidth - 1365, ButtonTop, ButtonWidth, ButtonHeight).topLeft());
}

void comfrmFindRecord::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Each time the window comes up, the search box starts empty.
    if (!txtFind->text().isEmpty())
        txtFind->clear();
}

int comfrmFindRecord::SortColumn() const
{
    return gexFind->sortKeys().isEmpty() ? 0 : gexFind->sortKeys().item(1).column;
}

void comfrmFindRecord::ShowSearchColumn()
{
    const platform::GridColumn *c = gexFind->column(SortColumn());
    lblFindField->setText(QStringLiteral("Trova in ") + (c ? c->caption() : QString()));
}

void comfrmFindRecord::HighlightSortColumn(bool firstTime)
{
    if (firstTime) {
        gexFind->formatStyles().add(SortedCol);
        gexFind->formatStyles().setBackColor(SortedCol, platform::oleColor(InfoBackground));
    }
    for (int i = 1; i <= gexFind->columns().count(); ++i)
        gexFind->columns().item(i)->setFormatStyle(QStringLiteral("Default"));
    if (platform::GridColumn *c = gexFind->column(SortColumn()))
        c->setFormatStyle(SortedCol);
}

void comfrmFindRecord::txtFind_Change()
{
    const int column = SortColumn();
    if (column > 0)
        gexFind->find(column, platform::FindCondition::BeginsWith, platform::Variant(txtFind->text()));
}

bool comfrmFindRecord::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtFind && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            ChooseRecord();
            return true;
        case Qt::Key_Escape:
            CancelFind();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            // The arrows move through the list while the typing goes on.
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(gexFind->view(), &copy);
            return true;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void comfrmFindRecord::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        comHelp::MostraGuida(comHelp::RecordFinder);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        CancelFind();
        event->accept();
        return;
    }
    // Enter does not choose anything by itself.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void comfrmFindRecord::gexFind_KeyDown(platform::GridKeyEvent &key)
{
    switch (key.key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        key.handled = true;
        ChooseRecord();
        break;
    case Qt::Key_Escape:
        key.handled = true;
        CancelFind();
        break;
    case Qt::Key_F5:
        key.handled = true;
        NewRecord();
        break;
    default:
        break;
    }
}

void comfrmFindRecord::gexFind_KeyPress(platform::GridKeyEvent &key)
{
    if (key.text.isEmpty() || key.text.at(0).unicode() <= 31)
        return;
    key.handled = true;
    // Typing in the list starts a new search with that character.
    txtFind->setText(key.text.left(1));
    txtFind->setFocus(Qt::OtherFocusReason);
    txtFind->setCursorPosition(txtFind->text().size());
}

void comfrmFindRecord::gexFind_ColumnHeaderClick(int column)
{
    gexFind->sortKeys().clear();
    gexFind->sortKeys().add(column, platform::SortOrder::Ascending);
    gexFind->reSort();
    ShowSearchColumn();
    HighlightSortColumn(false);
    txtFind->setFocus(Qt::OtherFocusReason);
}

platform::Variant comfrmFindRecord::CurrentKey() const
{
    const int row = gexFind->row();
    if (row < 1 || gexFind->model()->recordOfRow(row) < 0 || !gexFind->column(m_keyColumn))
        return platform::Variant::null();
    return gexFind->valueAt(row, m_keyColumn);
}

void comfrmFindRecord::ChooseRecord()
{
    m_result = {platform::Variant(QStringLiteral("i")), CurrentKey()};
    hide();
}

void comfrmFindRecord::NewRecord()
{
    m_result[0] = platform::Variant(QStringLiteral("n"));
    hide();
}

void comfrmFindRecord::EditRecord()
{
    m_result = {platform::Variant(QStringLiteral("e")), CurrentKey()};
    hide();
}

void comfrmFindRecord::CancelFind()
{
    m_result[0] = platform::Variant(QStringLiteral("c"));
    hide();
}
