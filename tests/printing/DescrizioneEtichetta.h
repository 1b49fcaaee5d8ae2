#pragma once

// The label layout written out as text, the same in the tests and in the
// helper program that reopens a layout in another process: the sheet
// numbers, then one line per item with its kind, name, place, size, font
// and what it prints, every length with all its digits.
#include "printing/LayoutEtichetta.h"

#include "platform/report/ReportLayout.h"
#include "platform/report/ReportSection.h"

#include <QStringList>

inline QString DescrizioneEtichetta(platform::report::ReportLayout &layout)
{
    const LayoutEtichetta::Foglio f = LayoutEtichetta::FormaDiLavoro(layout);
    QStringList righe{QStringLiteral("foglio %1 %2 %3 %4 %5 %6 %7 %8")
                          .arg(f.margineSinistro).arg(f.margineDestro).arg(f.margineSuperiore).arg(f.spazioOrizzontale)
                          .arg(f.etichettePerRiga).arg(f.altezza).arg(f.larghezza).arg(f.spazioVerticale)};
    const auto n = [](double v) { return QString::number(v, 'g', 17); };
    for (const auto &c : layout.section(LayoutEtichetta::NomeSezione).controls()) {
        righe << QStringLiteral("%1 %2 [%3 %4 %5 %6 %7 %8] font '%9' %10 %11%12%13 [%14|%15|%16] %17")
                     .arg(int(c->kind)).arg(c->name, n(c->left), n(c->top), n(c->width), n(c->height), n(c->x2), n(c->y2))
                     .arg(c->font.family, n(c->font.size)).arg(c->font.bold).arg(c->font.italic).arg(c->font.underline)
                     .arg(c->caption, c->dataField, c->outputFormat).arg(int(c->barcodeStyle));
    }
    return righe.join(u'\n');
}
