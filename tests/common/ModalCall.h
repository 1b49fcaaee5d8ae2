#pragma once

#include "ModalRunner.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <functional>

namespace testsupport {

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
            dialog->reject();
        }
    });
    call();
    EXPECT_TRUE(ran) << "no dialog was shown";
}

} // namespace testsupport
