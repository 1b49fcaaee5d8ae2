#pragma once

#include "printing/arpMagazzino.h"

// The articles below their minimum stock: code, description, minimum,
// stock and their difference. Its reduced export form (ModoEsportazione)
// leaves out the report header and footer, the page footer and the page
// header after the first page, and keeps codes and descriptions on one
// line, so that an export is one table. The year-end closing shows the
// articles with negative stock on it too.
class arpGiacenze_05 : public arpMagazzino
{
public:
    arpGiacenze_05();

    // The reduced export form; False when the layout is made, set by the
    // export runs that use it and put back when they end.
    bool ModoEsportazione = false;

    // The texts of a run: title, the line under it, the caption of the
    // difference column, and the format of quantities.
    void Imposta(const QString &titolo, const QString &sottotitolo, const QString &colonnaDelta,
                 const QString &formatoQuantita);

private:
    void PageHeader_Format(platform::report::FormatContext &context);
    void Detail_Format();
};
