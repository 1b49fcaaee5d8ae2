#include "platform/registry/EnvironmentStrings.h"

#include <QProcessEnvironment>

#include <optional>

namespace platform {

namespace {

std::optional<QString> environmentValue(const QString &name)
{
    if (name.isEmpty() || name.contains(u'='))
        return std::nullopt;
    if (qEnvironmentVariableIsSet(name.toLocal8Bit().constData()))
        return qEnvironmentVariable(name.toLocal8Bit().constData());
    // Settings written for the platform name variables in any case
    // ("%UserProfile%"); fall back to the first variable of that name.
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &key : env.keys()) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return env.value(key);
    }
    return std::nullopt;
}

} // namespace

QString expandEnvironmentStrings(const QString &text)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(u'%', i);
        if (open < 0) {
            out += QStringView(text).sliced(i);
            break;
        }
        out += QStringView(text).sliced(i, open - i);
        const qsizetype close = text.indexOf(u'%', open + 1);
        if (close < 0) {
            out += QStringView(text).sliced(open);
            break;
        }
        if (const auto value = environmentValue(text.mid(open + 1, close - open - 1))) {
            out += *value;
            i = close + 1;
        } else {
            // Not a variable: keep "%NAME" and let the closing "%" start
            // the next reference.
            out += QStringView(text).sliced(open, close - open);
            i = close;
        }
    }
    return out;
}

} // namespace platform
