#pragma once

#include <QRandomGenerator>
#include <QString>
#include <QStringList>

// The tips of the tip-of-the-day window: the lines of the tips file, the
// tip shown and the random choice of the next one, which never shows the
// same tip twice in a row.
class comTipList
{
public:
    // Seeded from the clock, so that every start shows other tips.
    comTipList();
    // With a fixed seed (tests).
    explicit comTipList(quint32 seed);

    // Reads the file, one tip per line, each line exactly as written (an
    // empty line is an empty tip; a last line without a line break still
    // counts). UTF-8, or the old 8-bit code page when the file is not
    // valid UTF-8. False when the name is empty or there is no such file.
    bool Load(const QString &fileName);

    int Count() const { return static_cast<int>(m_tips.size()); }
    // Tip `index`, counting from 1.
    QString Tip(int index) const { return m_tips.value(index - 1); }

    // The tip shown (from 1), 0 before the first pick.
    int Current() const { return m_current; }
    int LastShown() const { return m_lastShown; }

    // Picks a tip at random other than the last one shown and makes it
    // current. With fewer than two tips there is no other one: the only tip
    // is picked once and then kept. True when the current tip changed.
    bool PickRandom();

private:
    QStringList m_tips;
    int m_current = 0;
    int m_lastShown = 0;
    QRandomGenerator m_random;
};
