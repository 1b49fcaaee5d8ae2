#pragma once

#include "platform/report/PrintOptions.h"

#include <QList>
#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QScrollArea;
class QSpinBox;
class QToolBar;

namespace platform::report {

class PageView;
class ReportDocument;

// The tools of the preview toolbar, addressable so that the program can
// caption, hide or show them.
enum class PreviewTool { Print, FirstPage, PreviousPage, NextPage, LastPage, ZoomOut, ZoomIn };

// The zoom box's fit choices; their numbers are those the program uses to
// caption them.
enum class FitMode { None = 0, PageWidth = 1, WholePage = 2 };

// A report's preview: a modeless window that shows the pages of a run as
// they print (the same painter draws both), with page navigation, zoom and
// fit choices, and a print tool. Its texts are neutral; the program
// captions the tools it keeps.
class PreviewWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit PreviewWindow(QWidget *parent = nullptr);
    ~PreviewWindow() override;

    void setDocument(std::shared_ptr<const ReportDocument> document);
    const std::shared_ptr<const ReportDocument> &document() const { return m_document; }

    QToolBar *toolBar() const { return m_toolBar; }
    QAction *tool(PreviewTool tool) const;
    // Every item of the toolbar in order (tools, the page box, the zoom box).
    QList<QAction *> toolBarItems() const;
    QComboBox *zoomBox() const { return m_zoomBox; }
    QSpinBox *pageBox() const { return m_pageBox; }
    PageView *pageView() const { return m_view; }
    QScrollArea *scrollArea() const { return m_scroll; }

    void setFitCaption(FitMode mode, const QString &caption);
    QString fitCaption(FitMode mode) const;

    // 0-based page shown.
    int currentPage() const;
    void setCurrentPage(int page);
    double zoom() const;
    void setZoom(double zoom);
    // Fits the page to the window's width or whole into it, and keeps it
    // fitted as the window is resized.
    void fit(FitMode mode);
    FitMode fitMode() const { return m_fitMode; }

    // The printer the print tool prints on.
    void setPrintOptions(const PrintOptions &options) { m_printOptions = options; }
    const PrintOptions &printOptions() const { return m_printOptions; }
    // Replaces what the print tool does (by default: print the shown
    // document with the print options, reporting a failure in a message box).
    void setPrintHandler(std::function<void()> handler) { m_printHandler = std::move(handler); }
    void printDocument();

signals:
    void pageChanged(int page);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateControls();
    void applyZoomChoice(int index);

    std::shared_ptr<const ReportDocument> m_document;
    QToolBar *m_toolBar = nullptr;
    QList<QAction *> m_tools;
    QAction *m_pageBoxAction = nullptr;
    QAction *m_pageCountAction = nullptr;
    QAction *m_zoomBoxAction = nullptr;
    QSpinBox *m_pageBox = nullptr;
    QLabel *m_pageCount = nullptr;
    QComboBox *m_zoomBox = nullptr;
    QScrollArea *m_scroll = nullptr;
    PageView *m_view = nullptr;
    FitMode m_fitMode = FitMode::PageWidth;
    PrintOptions m_printOptions;
    std::function<void()> m_printHandler;
};

} // namespace platform::report
