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

// A copy of the template as the open database, the record windows
// registered as the program registers them, the scripted desktop and a
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
    // The same for the boxes txtData0, txtData1, ... of a window in turn.
    static void typeInto(const QWidget *window, const QStringList &texts);
    // Opens a modal window through `call` and acts on it while it waits;
    // the action must end the window.
    template <typename Finestra>
    static void onModal(const std::function<void()> &call, const std::function<void(Finestra *)> &action)
    {
        testsupport::callModal<Finestra>(call, action);
    }

    // The record window shown on its own, activated; nullptr when none is.
    static FinestraRecord *shown();
    // Opens a window as the main window's New and Open do.
    template <typename Finestra = FinestraRecord>
    static Finestra *openNew(const QString &name)
    {
        WindowRegistry::Nuovo(name);
        return qobject_cast<Finestra *>(shown());
    }
    template <typename Finestra = FinestraRecord>
    static Finestra *openKey(const QString &name, const platform::Variant &key)
    {
        WindowRegistry::Apri(name, key);
        return qobject_cast<Finestra *>(shown());
    }
    // Lets the windows that ended delete themselves.
    static void settle();

    int refreshes = 0;
};

// The same over a few rows of each kind, the marked ones being the shared
// defaults: VAT codes '22' (22%, marked) and 'ES' (exempt); units 1 PZ
// (marked) and 2 KG; categories 3 Colle (marked) and 4 Viti; customer 1
// Bianchi Mario and supplier 2 Rossi Srl.
class SampleRowsTest : public RecordWindowTest
{
protected:
    void SetUp() override;
};

} // namespace recordstest
