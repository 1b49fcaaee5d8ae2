// The wait cursor while a statement waits for another connection's lock.
#include "common/comCursoreAttesa.h"

#include "DataFixture.h"

#include "platform/data/Connection.h"

#include <QApplication>
#include <QList>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using platform::BusyWait;
using platform::Connection;
using testsupport::DataFixture;

TEST(comCursoreAttesa, TheWaitCursorShowsFromTheStartOfAWaitToItsEnd)
{
    const QString path = DataFixture::createSampleDatabase();
    Connection holder(DataFixture::connectionString(path));
    holder.beginTrans();
    holder.execute(u"UPDATE Articoli SET Costo = 9"_s);

    // The cursor as it stands right after the installed listener was told.
    comCursoreAttesa::Installa();
    const platform::BusyListener cursore = Connection::setBusyListener({});
    QList<int> shapes; // -1: no cursor of the program's own
    Connection::setBusyListener([&](BusyWait event) {
        cursore(event);
        const QCursor *shown = QApplication::overrideCursor();
        shapes.append(shown ? shown->shape() : -1);
    });

    Connection waiting(DataFixture::connectionString(path));
    waiting.setBusyTimeout(50);
    EXPECT_TRUE(testsupport::databaseErrorOf([&] { waiting.execute(u"UPDATE Articoli SET Costo = 1"_s); }));
    EXPECT_EQ(shapes, (QList<int>{Qt::WaitCursor, -1}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    Connection::setBusyListener({});
}
