#include "records/PulsantiInvio.h"

#include <QKeyEvent>
#include <QPushButton>

namespace {

class InvioSulPulsante : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto *button = qobject_cast<QPushButton *>(watched);
        if (!button)
            return false;
        // A key held down clicks once: a save is never run twice by it.
        if (!key->isAutoRepeat() && button->isEnabled() && button->isVisible())
            button->click();
        return true;
    }
};

} // namespace

void PulsantiInvio::Applica(QWidget *window)
{
    auto *filter = new InvioSulPulsante(window);
    for (QPushButton *button : window->findChildren<QPushButton *>())
        button->installEventFilter(filter);
}
