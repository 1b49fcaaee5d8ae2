#include "shell/cSubNodi.h"

#include "platform/base/RuntimeError.h"

#include <algorithm>

namespace {

constexpr std::int32_t SubscriptOutOfRange = 9;
constexpr std::int32_t KeyAlreadyUsed = 457;

} // namespace

cSubNodo &cSubNodi::Add(const QString &Chiave, const QString &Descrizione, const QString &SQLString,
                        const QString &key)
{
    if (!key.isEmpty() && find(key) != m_entries.cend())
        throw platform::RuntimeError(KeyAlreadyUsed,
                                     QStringLiteral("This key is already associated with an element of this collection"));
    auto item = std::make_unique<cSubNodo>();
    item->setChiave(Chiave);
    item->setDescrizione(Descrizione);
    item->setSQLString(SQLString);
    m_entries.push_back(Entry{key, std::move(item)});
    return *m_entries.back().item;
}

cSubNodo &cSubNodi::Item(int index) const
{
    return *m_entries[checkedIndex(index)].item;
}

cSubNodo &cSubNodi::Item(const QString &key) const
{
    const auto it = find(key);
    if (it == m_entries.cend())
        throw platform::RuntimeError(platform::err::InvalidProcedureCall);
    return *it->item;
}

void cSubNodi::Remove(int index)
{
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(checkedIndex(index)));
}

void cSubNodi::Remove(const QString &key)
{
    const auto it = find(key);
    if (it == m_entries.cend())
        throw platform::RuntimeError(platform::err::InvalidProcedureCall);
    m_entries.erase(it);
}

cSubNodi::Entries::const_iterator cSubNodi::find(const QString &key) const
{
    if (key.isEmpty())
        return m_entries.cend();
    return std::find_if(m_entries.cbegin(), m_entries.cend(), [&key](const Entry &e) {
        return !e.key.isEmpty() && e.key.compare(key, Qt::CaseInsensitive) == 0;
    });
}

std::size_t cSubNodi::checkedIndex(int index) const
{
    if (index < 1 || index > Count())
        throw platform::RuntimeError(SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return static_cast<std::size_t>(index - 1);
}
