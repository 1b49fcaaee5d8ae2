#pragma once

#include "platform/report/ReportLayout.h"

#include <memory>

// The single shared instance of each report layout: loaded by its first
// run, unloaded by the window that used it (a print unloads it at once) or
// when the program ends. A layout's preview window belongs to it, so it
// stays on screen after the report dialog has gone and closes when the
// layout is unloaded.
namespace IstanzeReport {

namespace detail {
// Notes how to unload one slot, so that ScaricaTutte reaches it.
void Registra(void (*scarica)());
// Whether a layout may be destroyed now: not once the application object is
// gone while its preview window still exists (the window cannot be
// destroyed any more; the process is ending anyway).
bool SiPuoDistruggere(const platform::report::ReportLayout &layout);

template <typename Layout>
struct Slot {
    std::unique_ptr<Layout> layout;
    Slot() = default;
    Slot(const Slot &) = delete;
    Slot &operator=(const Slot &) = delete;
    ~Slot()
    {
        if (layout && !SiPuoDistruggere(*layout))
            (void)layout.release();
    }
};
} // namespace detail

// The slot of a layout type; empty until the layout is loaded.
template <typename Layout>
std::unique_ptr<Layout> &Istanza()
{
    static detail::Slot<Layout> slot;
    static const bool registered = (detail::Registra([] { slot.layout.reset(); }), true);
    (void)registered;
    return slot.layout;
}

// Unloads one layout (its preview window closes with it).
template <typename Layout>
void Scarica()
{
    Istanza<Layout>().reset();
}

// Unloads every shared layout; called when the application is about to
// quit, and by tests.
void ScaricaTutte();

} // namespace IstanzeReport
