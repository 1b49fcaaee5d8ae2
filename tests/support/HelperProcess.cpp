#include "HelperProcess.h"

#include "TestEnv.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace testsupport {

void startHelper(QProcess &process, const QString &program, const QStringList &args)
{
    process.start(programDir() + u'/' + program, args);
    ASSERT_TRUE(process.waitForStarted(30000)) << program.toStdString();
}

QByteArray helperLine(QProcess &process)
{
    while (!process.canReadLine())
        if (!process.waitForReadyRead(60000))
            return process.readAllStandardError();
    return process.readLine().trimmed();
}

bool goAndWait(QProcess *const *helpers, int count)
{
    for (int i = 0; i < count; ++i) {
        helpers[i]->write("via\n");
        if (!helpers[i]->waitForBytesWritten(30000))
            return false;
    }
    for (int i = 0; i < count; ++i)
        if (!helpers[i]->waitForFinished(120000))
            return false;
    return true;
}

} // namespace testsupport
