#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QProcess;

// Test helper programs: small copies of the program, built beside the test
// executables, that tests start to save, close or renumber at the same
// time as another copy, or to be killed in the middle of a write. A helper
// speaks one word a line on its standard output ("pronto", "dentro") and
// waits for a line on its standard input before it starts.
namespace testsupport {

// Starts the helper `program` of the program folder with `args`; a
// helper that does not start fails the test.
void startHelper(QProcess &process, const QString &program, const QStringList &args);

// The next line the helper prints, trimmed; its standard error when it
// prints none within a minute.
QByteArray helperLine(QProcess &process);

// Tells each waiting helper to go, then waits up to two minutes for it to
// end; answers false when one does not.
bool goAndWait(QProcess *const *helpers, int count);

} // namespace testsupport
