#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace testsupport {

// Runs `action` on the modal dialog of type Dialog once the call under test
// has opened it and waits in its event loop.
template <typename Dialog>
void onModal(std::function<void(Dialog *)> action, int triesLeft = 200)
{
    QTimer::singleShot(0, [action, triesLeft] {
        if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
            action(dialog);
        } else if (triesLeft > 0) {
            onModal<Dialog>(action, triesLeft - 1);
        } else {
            ADD_FAILURE() << "no modal dialog appeared";
        }
    });
}

} // namespace testsupport
