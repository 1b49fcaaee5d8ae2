#pragma once

#include "shell/cSubNodo.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// The ordered sub-views of a navigation node. Items are addressed from 1 or
// by the key they were added under; a bad index or an unknown key raises
// the run-time error of a collection (9 or 5), a key used twice error 457.
// Keys compare without regard to case.
class cSubNodi
{
    struct Entry
    {
        QString key; // empty: the item was added without a key
        std::unique_ptr<cSubNodo> item;
    };
    using Entries = std::vector<Entry>;

public:
    // Walks the items in order, yielding cSubNodo&.
    class iterator
    {
    public:
        using difference_type = std::ptrdiff_t;
        using value_type = cSubNodo;

        iterator() = default;
        explicit iterator(Entries::const_iterator it) : m_it(it) {}
        cSubNodo &operator*() const { return *m_it->item; }
        cSubNodo *operator->() const { return m_it->item.get(); }
        iterator &operator++() { ++m_it; return *this; }
        iterator operator++(int) { iterator old = *this; ++m_it; return old; }
        bool operator==(const iterator &o) const { return m_it == o.m_it; }

    private:
        Entries::const_iterator m_it;
    };

    // Makes a sub-view with the three fields and appends it, under key when
    // key is not empty. Returns the new item, owned by the collection.
    cSubNodo &Add(const QString &Chiave, const QString &Descrizione, const QString &SQLString,
                  const QString &key = {});

    cSubNodo &Item(int index) const;          // 1 .. Count()
    cSubNodo &Item(const QString &key) const;

    std::int32_t Count() const { return static_cast<std::int32_t>(m_entries.size()); }

    void Remove(int index);                   // 1 .. Count()
    void Remove(const QString &key);

    iterator begin() const { return iterator(m_entries.cbegin()); }
    iterator end() const { return iterator(m_entries.cend()); }

private:
    Entries::const_iterator find(const QString &key) const;
    std::size_t checkedIndex(int index) const;

    Entries m_entries;
};
