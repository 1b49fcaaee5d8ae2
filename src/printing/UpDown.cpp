#include "printing/UpDown.h"

#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

UpDown::UpDown(QWidget *parent) : QWidget(parent)
{
    const auto arrow = [this](Qt::ArrowType type, const char *name) {
        auto *button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setArrowType(type);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        return button;
    };
    m_up = arrow(Qt::UpArrow, "up");
    m_down = arrow(Qt::DownArrow, "down");
    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void UpDown::setRange(int minimum, int maximum)
{
    m_min = minimum;
    m_max = std::max(minimum, maximum);
}

void UpDown::stepBy(int steps)
{
    if (!m_buddy)
        return;
    bool ok = false;
    const int current = m_buddy->text().trimmed().toInt(&ok);
    const long long next = ok ? static_cast<long long>(current) + steps : m_min;
    m_buddy->setText(QString::number(std::clamp<long long>(next, m_min, m_max)));
}

void UpDown::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}
