#pragma once

#include <QWidget>

#include <memory>

namespace platform::report {

class ReportDocument;

// The preview's page surface: one page of a document drawn through the
// report painter at a zoom factor (1.0 shows the paper at 96 dots per inch),
// on a grey desk with a margin around it.
class PageView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Margin = 16;

    explicit PageView(QWidget *parent = nullptr);

    void setDocument(std::shared_ptr<const ReportDocument> document);
    // 0-based; kept within the document's pages.
    void setPage(int page);
    int page() const { return m_page; }
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }
    // The paper's size in twips (A4 while there is no document).
    QSizeF paperSize() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::shared_ptr<const ReportDocument> m_document;
    int m_page = 0;
    double m_zoom = 1.0;
};

} // namespace platform::report
