#include "platform/data/SqlFunctions.h"

#include <sqlite3.h>

namespace platform::sqlite {

namespace {

struct LastValue {
    sqlite3_value *value;
};

void lastStep(sqlite3_context *context, int, sqlite3_value **args)
{
    if (sqlite3_value_type(args[0]) == SQLITE_NULL)
        return;
    auto *state = static_cast<LastValue *>(sqlite3_aggregate_context(context, sizeof(LastValue)));
    if (!state)
        return sqlite3_result_error_nomem(context);
    sqlite3_value *copy = sqlite3_value_dup(args[0]);
    if (!copy)
        return sqlite3_result_error_nomem(context);
    sqlite3_value_free(state->value);
    state->value = copy;
}

void lastFinal(sqlite3_context *context)
{
    auto *state = static_cast<LastValue *>(sqlite3_aggregate_context(context, 0));
    if (!state || !state->value) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_result_value(context, state->value);
    sqlite3_value_free(state->value);
    state->value = nullptr;
}

} // namespace

void SqlFunctions::registerAll(sqlite3 *db)
{
    sqlite3_create_function_v2(db, "jet_last", 1, SQLITE_UTF8, nullptr, nullptr, lastStep, lastFinal, nullptr);
}

} // namespace platform::sqlite
