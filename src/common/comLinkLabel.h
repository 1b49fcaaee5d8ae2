#pragma once

#include <QLabel>

// A label drawn as a link (blue, underlined, with a pointing-hand cursor)
// that reports a click of the left mouse button.
class comLinkLabel : public QLabel
{
    Q_OBJECT

public:
    explicit comLinkLabel(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};
