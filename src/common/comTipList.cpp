#include "common/comTipList.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

comTipList::comTipList() : m_random(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()))
{
}

comTipList::comTipList(quint32 seed) : m_random(seed)
{
}

bool comTipList::Load(const QString &fileName)
{
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();

    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const bool noLines = text.isEmpty();

    // Lines end with CR LF, LF or CR; the break after the last line adds
    // no empty tip.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    if (text.endsWith(u'\n'))
        text.chop(1);
    m_tips.clear();
    if (!noLines)
        m_tips = text.split(u'\n');
    m_current = 0;
    m_lastShown = 0;
    return true;
}

bool comTipList::PickRandom()
{
    const int count = Count();
    if (count == 0)
        return false;
    int pick;
    if (m_lastShown < 1 || m_lastShown > count) {
        pick = static_cast<int>(m_random.bounded(count)) + 1;
    } else {
        if (count < 2)
            return false;
        // One of the other tips, all equally likely.
        pick = static_cast<int>(m_random.bounded(count - 1)) + 1;
        if (pick >= m_lastShown)
            ++pick;
    }
    m_current = pick;
    m_lastShown = pick;
    return true;
}
