#include "RecordsFixture.h"

namespace recordstest {

void RecordWindowTest::SetUp()
{
    TemplateDatabaseTest::SetUp();
    WindowRegistry::ImpostaAggiornaPrincipale([this] { ++refreshes; });
}

void RecordWindowTest::TearDown()
{
    WindowRegistry::ImpostaAggiornaPrincipale(nullptr);
    // Windows that deleted themselves go now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    TemplateDatabaseTest::TearDown();
}

void RecordWindowTest::activate(QWidget *window)
{
    QApplication::setActiveWindow(window);
    QApplication::processEvents();
}

void RecordWindowTest::typeAndLeave(QLineEdit *edit, const QString &text, bool clear)
{
    edit->setFocus(Qt::OtherFocusReason);
    if (clear)
        edit->clear();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
    QApplication::processEvents();
}

} // namespace recordstest
