#pragma once

// Helpers shared by the tests of the value types: readable values in
// failure messages, amounts written as text, the error number a call raises.
#include "platform/base/Currency.h"
#include "platform/base/DateTime.h"
#include "platform/base/RuntimeError.h"
#include "platform/base/Variant.h"

#include <QString>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace platform {
inline void PrintTo(const Variant &v, std::ostream *os) { *os << v.debugString().toStdString(); }
inline void PrintTo(const Currency &c, std::ostream *os) { *os << c.toString().toStdString(); }
inline void PrintTo(const DateTime &d, std::ostream *os)
{
    *os << (d.isValid() ? d.toIso().toStdString() : std::string("invalid"));
}
} // namespace platform

namespace valuetest {

// An amount written with a decimal point; a failed test when it is none.
inline platform::Currency cur(const char *text)
{
    const auto c = platform::Currency::fromString(QString::fromLatin1(text));
    if (!c)
        ADD_FAILURE() << "not an amount: " << text;
    return c.value_or(platform::Currency());
}

// The error number raised by f, or 0 when it raises nothing.
template <typename F>
int errorOf(F &&f)
{
    try {
        f();
    } catch (const platform::RuntimeError &e) {
        return e.number();
    }
    return 0;
}

} // namespace valuetest
