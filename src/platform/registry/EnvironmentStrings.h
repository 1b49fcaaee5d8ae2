#pragma once

#include <QString>

namespace platform {

// Replaces every "%NAME%" in the text by the value of the environment
// variable NAME (looked up as written, then without regard to case, as the
// platform's variable names are). A name that is not set stays as written,
// with its "%" signs, and its closing "%" may still open the next reference.
QString expandEnvironmentStrings(const QString &text);

} // namespace platform
