#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// A pair of arrow buttons beside a text box that hold a whole number: up
// adds one, down takes one away, within a range. The text box stays the
// place where the number is typed and read.
class UpDown : public QWidget
{
    Q_OBJECT

public:
    explicit UpDown(QWidget *parent = nullptr);

    QLineEdit *buddy() const { return m_buddy; }
    void setBuddy(QLineEdit *buddy) { m_buddy = buddy; }
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    void setRange(int minimum, int maximum);

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

    // Moves the buddy's number by `steps` (negative: down), within the
    // range; a box that holds no number counts as the minimum.
    void stepBy(int steps);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLineEdit *m_buddy = nullptr;
    QToolButton *m_up;
    QToolButton *m_down;
    int m_min = 0;
    int m_max = 100;
};
