#include "DialogWatcher.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QTimer>

#include <gtest/gtest.h>

namespace testsupport {

namespace {

int g_expected = 0;

class DialogWatcher : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (!dialog || !dialog->isWindow() || !dialog->isModal())
            return false;
        if (g_expected > 0) {
            --g_expected;
            return false;
        }
        ADD_FAILURE() << "a dialog nobody expected opened: " << dialog->metaObject()->className()
                      << " \"" << dialog->windowTitle().toStdString() << "\"";
        // Closed from its own event loop, so that the call that opened it returns.
        QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
        return false;
    }
};

class ResetEachTest : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo &) override { g_expected = 0; }
};

} // namespace

void expectDialog()
{
    ++g_expected;
}

void installDialogWatcher()
{
    static DialogWatcher watcher;
    qApp->installEventFilter(&watcher);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ResetEachTest);
}

} // namespace testsupport
