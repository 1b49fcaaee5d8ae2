#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include "support/DialogWatcher.h"

#include <gtest/gtest.h>

#include <functional>

namespace testsupport {

// Runs `action` on the modal dialog of type Dialog once the call under test
// has opened it and waits in its event loop.
template <typename Dialog>
void waitForModal(std::function<void(Dialog *)> action, int triesLeft)
{
    QTimer::singleShot(0, [action, triesLeft] {
        if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget()))
            action(dialog);
        else if (triesLeft > 0)
            waitForModal<Dialog>(action, triesLeft - 1);
        else
            ADD_FAILURE() << "no modal dialog appeared";
    });
}

template <typename Dialog>
void onModal(std::function<void(Dialog *)> action)
{
    expectDialog();
    waitForModal<Dialog>(std::move(action), 200);
}

// Makes the call under test, which opens a modal dialog of type Dialog, and
// acts on that dialog once it is up and active. A dialog the action leaves
// open fails the test and is closed, so that the call returns.
template <typename Dialog>
void callModal(const std::function<void()> &call, const std::function<void(Dialog *)> &action)
{
    bool ran = false;
    onModal<Dialog>([&](Dialog *dialog) {
        ran = true;
        QApplication::setActiveWindow(dialog);
        QApplication::processEvents();
        action(dialog);
        QApplication::processEvents();
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog stayed open";
            static_cast<QDialog *>(dialog)->reject();
        }
    });
    call();
    EXPECT_TRUE(ran) << "no dialog was shown";
}

} // namespace testsupport
