#pragma once

struct sqlite3;

namespace platform::sqlite {

// The functions the layer adds to every connection for translated Jet
// statements: jet_last(x), the aggregate that answers the last non-NULL
// value it was fed (so it depends on the order rows reach it).
class SqlFunctions
{
public:
    static void registerAll(sqlite3 *db);
};

} // namespace platform::sqlite
