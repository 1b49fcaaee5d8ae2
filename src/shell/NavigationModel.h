#pragma once

#include "shell/cNodo.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// The main window's navigation data: the three groups of the button bar,
// the eight nodes with their sub-views, and the items of the New and View
// menus built from them. Widget-free, so that the window only copies it
// into its bar and menus.
namespace Navigazione {

inline constexpr int NumeroNodi = 8;
inline constexpr int NumeroGruppi = 3;
inline constexpr int UltimaVoceMenu = 38; // the node menus have items 0 .. 38

// One group of the button bar.
struct Gruppo
{
    QString Caption;
    std::int16_t Size = 0; // number of nodes in the group
};

// One item of the New or View menu. A separator has the caption "-".
struct VoceMenu
{
    QString Caption;
    QString Tag;          // the node index as decimal text; empty for separators and unused items
    bool Visible = false;

    bool isSeparator() const { return Caption == QLatin1String("-"); }
};

using Nodi = std::array<cNodo, NumeroNodi>;
using Gruppi = std::array<Gruppo, NumeroGruppi>;

// "Gestione", "Anagrafiche", "Impostazioni" with 2, 3 and 3 nodes.
Gruppi CreaGruppi();

// The eight nodes, set and given their sub-views (with empty queries: the
// list loading writes them).
Nodi CreaNodi();

// Items 0 .. 38 of the New menu: each group's nodes in index order with
// their singular caption and "CTRL+" shortcut, a separator after each group,
// everything after the last node hidden; item 1 ("gia", the same caption as
// "mag") is hidden as well, so a new movement is offered once.
std::vector<VoceMenu> VociMenuNuovo(const Nodi &nodi);

// Items 0 .. 38 of the View menu: as the New menu with the plural caption
// and "CTRL+MAIUSC+"; every node item stays visible.
std::vector<VoceMenu> VociMenuVisualizza(const Nodi &nodi);

} // namespace Navigazione
