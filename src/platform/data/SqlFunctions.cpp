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

// Year(): a date stored as "YYYY-MM-DD" (how the program stores dates
// without a time) is in year YYYY whenever month and day are in range, so
// its digits are read directly; strftime's date parsing and formatting
// would cost more than the rest of a large list's row. Every other value
// goes through the engine's own strftime, so the result is always the
// same as CAST(strftime('%Y', x) AS INTEGER).
bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

int twoDigits(const unsigned char *s)
{
    return (s[0] - '0') * 10 + (s[1] - '0');
}

void yearOf(sqlite3_context *context, int, sqlite3_value **args)
{
    if (sqlite3_value_type(args[0]) == SQLITE_TEXT && sqlite3_value_bytes(args[0]) == 10) {
        const unsigned char *s = sqlite3_value_text(args[0]);
        if (s && isDigit(s[0]) && isDigit(s[1]) && isDigit(s[2]) && isDigit(s[3]) && s[4] == '-' && isDigit(s[5])
            && isDigit(s[6]) && s[7] == '-' && isDigit(s[8]) && isDigit(s[9])) {
            const int month = twoDigits(s + 5);
            const int day = twoDigits(s + 8);
            if (month >= 1 && month <= 12 && day >= 1 && day <= 31)
                return sqlite3_result_int(context, twoDigits(s) * 100 + twoDigits(s + 2));
        }
    }
    // Any other value: the engine decides, on the same connection.
    sqlite3 *db = sqlite3_context_db_handle(context);
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT CAST(strftime('%Y', ?1) AS INTEGER)", -1, &st, nullptr) != SQLITE_OK)
        return sqlite3_result_error(context, sqlite3_errmsg(db), -1);
    sqlite3_bind_value(st, 1, args[0]);
    if (sqlite3_step(st) == SQLITE_ROW)
        sqlite3_result_value(context, sqlite3_column_value(st, 0));
    else
        sqlite3_result_error(context, sqlite3_errmsg(db), -1);
    sqlite3_finalize(st);
}

} // namespace

void SqlFunctions::registerAll(sqlite3 *db)
{
    sqlite3_create_function_v2(db, "jet_year", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, yearOf, nullptr,
                               nullptr, nullptr);
    sqlite3_create_function_v2(db, "jet_last", 1, SQLITE_UTF8, nullptr, nullptr, lastStep, lastFinal, nullptr);
}

} // namespace platform::sqlite
