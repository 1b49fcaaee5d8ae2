#include "platform/report/PreviewWindow.h"

#include "platform/desktop/DesktopServices.h"
#include "platform/desktop/WindowPlacement.h"
#include "platform/report/PageView.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportPrinter.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace platform::report {

namespace {

// The zoom box: the two fit choices first, then fixed zoom factors.
constexpr double zoomSteps[] = {0.5, 0.75, 1.0, 1.5, 2.0};
constexpr int FirstStepIndex = 2;

} // namespace

PreviewWindow::PreviewWindow(QWidget *parent) : QMainWindow(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Tall enough for a page at a readable size, within the screen.
    resize(900, 1000);
    keepOnScreen(this);

    m_toolBar = addToolBar(QStringLiteral("Anteprima"));
    m_toolBar->setObjectName(QStringLiteral("previewToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);

    const auto make = [this](const QString &text, QStyle::StandardPixmap icon, const QKeySequence &key) {
        auto *action = new QAction(text, this);
        if (icon != QStyle::SP_CustomBase)
            action->setIcon(style()->standardIcon(icon));
        action->setToolTip(text);
        if (!key.isEmpty())
            action->setShortcut(key);
        m_tools.append(action);
        return action;
    };
    QAction *print = make(QStringLiteral("Stampa"), QStyle::SP_CustomBase, QKeySequence::Print);
    QAction *first = make(QStringLiteral("Prima pagina"), QStyle::SP_MediaSkipBackward, QKeySequence(Qt::CTRL | Qt::Key_Home));
    QAction *previous = make(QStringLiteral("Pagina precedente"), QStyle::SP_ArrowLeft, QKeySequence(Qt::Key_PageUp));
    QAction *next = make(QStringLiteral("Pagina successiva"), QStyle::SP_ArrowRight, QKeySequence(Qt::Key_PageDown));
    QAction *last = make(QStringLiteral("Ultima pagina"), QStyle::SP_MediaSkipForward, QKeySequence(Qt::CTRL | Qt::Key_End));
    QAction *zoomOut = make(QStringLiteral("Riduci"), QStyle::SP_ArrowDown, QKeySequence::ZoomOut);
    QAction *zoomIn = make(QStringLiteral("Ingrandisci"), QStyle::SP_ArrowUp, QKeySequence::ZoomIn);

    m_toolBar->addAction(print);
    // The print tool shows its caption.
    if (auto *button = qobject_cast<QToolButton *>(m_toolBar->widgetForAction(print)))
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_toolBar->addSeparator();
    m_toolBar->addAction(first);
    m_toolBar->addAction(previous);
    m_pageBox = new QSpinBox(m_toolBar);
    m_pageBox->setObjectName(QStringLiteral("pageBox"));
    m_pageBox->setRange(1, 1);
    m_pageBox->setKeyboardTracking(false);
    m_pageBoxAction = m_toolBar->addWidget(m_pageBox);
    m_pageCount = new QLabel(m_toolBar);
    m_pageCount->setObjectName(QStringLiteral("pageCount"));
    m_pageCount->setContentsMargins(4, 0, 4, 0);
    m_pageCountAction = m_toolBar->addWidget(m_pageCount);
    m_toolBar->addAction(next);
    m_toolBar->addAction(last);
    m_toolBar->addSeparator();
    m_toolBar->addAction(zoomOut);
    m_zoomBox = new QComboBox(m_toolBar);
    m_zoomBox->setObjectName(QStringLiteral("zoomBox"));
    m_zoomBox->addItem(QStringLiteral("Larghezza pagina"));
    m_zoomBox->addItem(QStringLiteral("Pagina intera"));
    for (double step : zoomSteps)
        m_zoomBox->addItem(QStringLiteral("%1%").arg(static_cast<int>(step * 100)));
    m_zoomBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_zoomBoxAction = m_toolBar->addWidget(m_zoomBox);
    m_toolBar->addAction(zoomIn);

    m_view = new PageView;
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_view);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    setCentralWidget(m_scroll);

    connect(print, &QAction::triggered, this, &PreviewWindow::printDocument);
    connect(first, &QAction::triggered, this, [this] { setCurrentPage(0); });
    connect(previous, &QAction::triggered, this, [this] { setCurrentPage(currentPage() - 1); });
    connect(next, &QAction::triggered, this, [this] { setCurrentPage(currentPage() + 1); });
    connect(last, &QAction::triggered, this, [this] {
        setCurrentPage(m_document ? m_document->pageCount() - 1 : 0);
    });
    connect(zoomOut, &QAction::triggered, this, [this] { setZoom(zoom() / 1.25); });
    connect(zoomIn, &QAction::triggered, this, [this] { setZoom(zoom() * 1.25); });
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int value) { setCurrentPage(value - 1); });
    connect(m_zoomBox, &QComboBox::activated, this, &PreviewWindow::applyZoomChoice);

    m_zoomBox->setCurrentIndex(0);
    updateControls();
}

PreviewWindow::~PreviewWindow() = default;

QAction *PreviewWindow::tool(PreviewTool tool) const
{
    return m_tools.at(static_cast<int>(tool));
}

QList<QAction *> PreviewWindow::toolBarItems() const
{
    return m_toolBar->actions();
}

void PreviewWindow::setFitCaption(FitMode mode, const QString &caption)
{
    if (mode == FitMode::PageWidth || mode == FitMode::WholePage)
        m_zoomBox->setItemText(static_cast<int>(mode) - 1, caption);
}

QString PreviewWindow::fitCaption(FitMode mode) const
{
    if (mode == FitMode::PageWidth || mode == FitMode::WholePage)
        return m_zoomBox->itemText(static_cast<int>(mode) - 1);
    return QString();
}

void PreviewWindow::setDocument(std::shared_ptr<const ReportDocument> document)
{
    m_document = std::move(document);
    m_view->setDocument(m_document);
    if (m_fitMode != FitMode::None)
        fit(m_fitMode);
    updateControls();
}

int PreviewWindow::currentPage() const
{
    return m_view->page();
}

void PreviewWindow::setCurrentPage(int page)
{
    const int before = m_view->page();
    m_view->setPage(page);
    m_scroll->verticalScrollBar()->setValue(0);
    updateControls();
    if (m_view->page() != before)
        emit pageChanged(m_view->page());
}

double PreviewWindow::zoom() const
{
    return m_view->zoom();
}

void PreviewWindow::setZoom(double zoom)
{
    m_fitMode = FitMode::None;
    m_view->setZoom(zoom);
    updateControls();
}

void PreviewWindow::fit(FitMode mode)
{
    m_fitMode = mode;
    if (mode == FitMode::None)
        return;
    const QSizeF paper = m_view->paperSize() / 15.0;
    const QSize area = m_scroll->viewport()->size();
    const int bar = m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const double width = std::max(50, area.width() - 2 * PageView::Margin - (mode == FitMode::PageWidth ? bar : 0));
    const double height = std::max(50, area.height() - 2 * PageView::Margin);
    double zoom = width / paper.width();
    if (mode == FitMode::WholePage)
        zoom = std::min(zoom, height / paper.height());
    m_view->setZoom(zoom);
    updateControls();
}

void PreviewWindow::applyZoomChoice(int index)
{
    if (index == 0)
        fit(FitMode::PageWidth);
    else if (index == 1)
        fit(FitMode::WholePage);
    else if (index - FirstStepIndex < static_cast<int>(std::size(zoomSteps)))
        setZoom(zoomSteps[index - FirstStepIndex]);
}

void PreviewWindow::printDocument()
{
    if (m_printHandler) {
        m_printHandler();
        return;
    }
    if (!m_document)
        return;
    try {
        ReportPrinter::print(*m_document, m_printOptions);
    } catch (const ReportError &e) {
        platform::desktop().msgBox(e.description(), platform::vbExclamation);
    }
}

void PreviewWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (m_fitMode != FitMode::None)
        fit(m_fitMode);
}

void PreviewWindow::updateControls()
{
    const int pages = m_document ? m_document->pageCount() : 0;
    const int page = m_view->page();
    {
        const QSignalBlocker block(m_pageBox);
        m_pageBox->setRange(1, std::max(1, pages));
        m_pageBox->setValue(page + 1);
    }
    m_pageCount->setText(QStringLiteral("/ %1").arg(pages));
    tool(PreviewTool::FirstPage)->setEnabled(page > 0);
    tool(PreviewTool::PreviousPage)->setEnabled(page > 0);
    tool(PreviewTool::NextPage)->setEnabled(page + 1 < pages);
    tool(PreviewTool::LastPage)->setEnabled(page + 1 < pages);
    tool(PreviewTool::Print)->setEnabled(pages > 0);
    const QSignalBlocker block(m_zoomBox);
    if (m_fitMode == FitMode::PageWidth)
        m_zoomBox->setCurrentIndex(0);
    else if (m_fitMode == FitMode::WholePage)
        m_zoomBox->setCurrentIndex(1);
}

} // namespace platform::report
