#pragma once

#include "DataFixture.h"

#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <utility>

namespace testsupport {

// The number of the DatabaseError that `f` raises, 0 when it raises none.
template <typename F>
std::int32_t databaseErrorNumber(F &&f)
{
    const auto error = databaseErrorOf(std::forward<F>(f));
    return error ? error->number() : 0;
}

// A data-layer test on its own copy of the sample database, with the
// program's connection open on it and the file readable directly.
class SampleDbTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = DataFixture::createSampleDatabase();
        connection.open(DataFixture::connectionString(path));
    }

    // A static recordset on the test's connection.
    std::unique_ptr<platform::Recordset> open(const QString &source,
                                              platform::LockType lock = platform::LockType::Optimistic,
                                              platform::CommandType type = platform::CommandType::Text,
                                              platform::CursorType cursor = platform::CursorType::Static)
    {
        auto rs = std::make_unique<platform::Recordset>();
        rs->open(source, connection, cursor, lock, type);
        return rs;
    }
    // What the file holds, read with the engine directly.
    QString stored(const QString &sql) const { return DataFixture::queryValue(path, sql); }
    QStringList column(const QString &sql) const { return DataFixture::queryColumn(path, sql); }

    QString path;
    platform::Connection connection;
};

} // namespace testsupport
