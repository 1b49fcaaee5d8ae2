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

// Types into a text box, after clearing it, and leaves it with Tab.
void typeAndLeave(QLineEdit *edit, const QString &text);
// The same for the boxes txtData0, txtData1, ... of a window in turn.
void typeInto(const QWidget *window, const QStringList &texts);

// A copy of the template holding a few rows of each kind as the open
// database, the record windows registered as the program registers them, the
// scripted desktop and a main-window refresh that only counts its calls.
//   CodiciIVA: '22' Ordinaria 22% (the default), 'ES' Esente (exempt, 0%)
//   Liste: 1 unit PZ Pezzi (default), 2 unit KG Chilogrammi,
//          3 category Colle (default), 4 category Viti
//   CliFor: 1 customer Bianchi Mario, 2 supplier Rossi Srl
class RecordWindowTest : public TemplateDatabaseTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The value of one cell of the test database.
    QString cell(const QString &sql) const { return queryValue(database, sql); }

    // The record window shown on its own; nullptr when none is.
    static FinestraRecord *shown();
    // Opens a window as the main window does (New, or Open on the key) and
    // answers it shown and active, or nullptr when none appeared.
    template <typename Finestra>
    static Finestra *openNew(const QString &name)
    {
        WindowRegistry::Nuovo(name);
        return activated<Finestra>();
    }
    template <typename Finestra>
    static Finestra *openKey(const QString &name, const platform::Variant &key)
    {
        WindowRegistry::Apri(name, key);
        return activated<Finestra>();
    }
    // Lets windows that ended delete themselves.
    static void settle();

    // Opens a modal window through `call` and acts on it while it waits;
    // the action must end the window.
    template <typename Finestra>
    static void onModal(const std::function<void()> &call, const std::function<void(Finestra *)> &action)
    {
        testsupport::callModal<Finestra>(call, action);
    }

    int refreshes = 0;

private:
    template <typename Finestra>
    static Finestra *activated()
    {
        auto *window = qobject_cast<Finestra *>(shown());
        if (window) {
            QApplication::setActiveWindow(window);
            QApplication::processEvents();
        }
        return window;
    }
};

} // namespace recordstest
