#include "RecordsFixture.h"

#include "records/RegistraRecord.h"

namespace recordstest {

void RecordWindowTest::SetUp()
{
    TemplateDatabaseTest::SetUp();
    // A lock held by another program is met at once.
    platform::Connection::setDefaultBusyTimeout(50);
    RegistraFinestreRecord();
    WindowRegistry::ImpostaAggiornaPrincipale([this] { ++refreshes; });
}

void RecordWindowTest::TearDown()
{
    while (FinestraRecord *window = shown())
        window->cmdAnnulla_Click();
    settle();
    WindowRegistry::ImpostaAggiornaPrincipale(nullptr);
    WindowRegistry::Rimuovi();
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

void RecordWindowTest::typeInto(const QWidget *window, const QStringList &texts)
{
    for (int i = 0; i < texts.size(); ++i)
        typeAndLeave(child<QLineEdit>(window, QStringLiteral("txtData%1").arg(i)), texts[i]);
}

FinestraRecord *RecordWindowTest::shown()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<FinestraRecord *>(widget); window && window->isVisible()) {
            activate(window);
            return window;
        }
    }
    return nullptr;
}

void RecordWindowTest::settle()
{
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void SampleRowsTest::SetUp()
{
    RecordWindowTest::SetUp();
    runSql(database, QStringLiteral(
        "INSERT INTO CodiciIVA (CodiceIVA, Descrizione, Aliquota, Esenzione, Predefinito) VALUES "
        "('22', 'Ordinaria', 22, False, True), ('ES', 'Esente', 0, True, False);"
        "INSERT INTO Liste (Id, Chiave, Codice, Descrizione, Predefinito) VALUES "
        "(1, 'um', 'PZ', 'Pezzi', True), (2, 'um', 'KG', 'Chilogrammi', False), "
        "(3, 'cat', NULL, 'Colle', True), (4, 'cat', NULL, 'Viti', False);"
        "INSERT INTO CliFor (IdCliFor, Tipo, Nome, Indirizzo) VALUES "
        "(1, 'Cliente', 'Bianchi Mario', 'Via Roma 1'), (2, 'Fornitore', 'Rossi Srl', NULL);"));
    MainModule::DefaultCodiceIVA = QStringLiteral("22");
    MainModule::DefaultUM = QStringLiteral("PZ");
    MainModule::DefaultCategoria = QStringLiteral("Colle");
}

} // namespace recordstest
