#pragma once

#include <QChar>
#include <QStringView>

namespace platform::gridtext {

// Comparisons of texts without regard to case, as the database compares
// them, written for the grid's hot loops: plain ASCII letters are folded
// inline and only other characters go through Unicode case folding.

inline char16_t fold(char16_t c)
{
    if (c < 128)
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    return QChar::toCaseFolded(c);
}

inline int compareIgnoringCase(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t *x = a.utf16();
    const char16_t *y = b.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        if (x[i] == y[i])
            continue;
        const char16_t fx = fold(x[i]);
        const char16_t fy = fold(y[i]);
        if (fx != fy)
            return fx < fy ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (b.size() < a.size() ? 1 : 0);
}

// prefix must already be folded (fold() on each character).
inline bool startsWithFolded(QStringView text, QStringView foldedPrefix)
{
    if (text.size() < foldedPrefix.size())
        return false;
    const char16_t *x = text.utf16();
    const char16_t *p = foldedPrefix.utf16();
    for (qsizetype i = 0; i < foldedPrefix.size(); ++i) {
        if (x[i] != p[i] && fold(x[i]) != p[i])
            return false;
    }
    return true;
}

inline bool equalsFolded(QStringView text, QStringView folded)
{
    return text.size() == folded.size() && startsWithFolded(text, folded);
}

} // namespace platform::gridtext
