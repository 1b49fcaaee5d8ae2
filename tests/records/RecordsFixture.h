#pragma once

// The fixture of the record windows' tests.
#include "ShellFixture.h"

#include "records/FinestraRecord.h"
#include "shell/WindowRegistry.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace recordstest {

using namespace shelltest;

// A copy of the template as the open database, the scripted desktop and a
// main-window refresh that only counts its calls.
class RecordWindowTest : public TemplateDatabaseTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The value of one cell of the test database.
    QString cell(const QString &sql) const { return queryValue(database, sql); }

    // Shows a modeless window's first control with the focus, as a user
    // finds it.
    static void activate(QWidget *window);
    // Types into a text box and leaves it with Tab.
    static void typeAndLeave(QLineEdit *edit, const QString &text, bool clear = true);
    // Opens a modal window through `call` and acts on it while it waits;
    // the action must end the window.
    template <typename Finestra>
    static void onModal(const std::function<void()> &call, const std::function<void(Finestra *)> &action)
    {
        testsupport::callModal<Finestra>(call, action);
    }

    int refreshes = 0;
};

} // namespace recordstest
