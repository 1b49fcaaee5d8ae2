// libFuzzer entry point for the stored label layout reader: any bytes must
// either be refused, leaving the layout exactly as it was, or give a
// label layout that writes back to bytes the reader takes again unchanged
// and that survives the designer's sheet conversions; never a crash, a
// hang or an undefined operation.
#include "platform/report/ReportLayout.h"
#include "printing/LayoutEtichetta.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using platform::report::ReportLayout;

namespace {

void fail(const char *why)
{
    std::fprintf(stderr, "%s\n", why);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    ReportLayout layout;
    LayoutEtichetta::ApplicaPredefinito(layout);
    const QByteArray before = layout.toBytes();
    if (!LayoutEtichetta::Leggi(layout, bytes)) {
        if (layout.toBytes() != before)
            fail("a refused blob changed the layout");
        return 0;
    }
    ReportLayout copy;
    if (!LayoutEtichetta::Leggi(copy, LayoutEtichetta::Scrivi(layout)) || !copy.sameDesign(layout))
        fail("a layout read back differs from the one written");
    // What the designer does with it: working form, then stored form again.
    const LayoutEtichetta::Foglio foglio = LayoutEtichetta::FormaDiLavoro(copy);
    LayoutEtichetta::FormaArchiviata(copy, foglio);
    (void)LayoutEtichetta::Scrivi(copy);
    return 0;
}
