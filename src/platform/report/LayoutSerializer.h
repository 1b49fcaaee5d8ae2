#pragma once

#include <QByteArray>

namespace platform::report {

class ReportLayout;

// Writes a layout's design as UTF-8 JSON ({"format": "velmora-report-layout",
// "version": 1, ...}) and reads it back into a layout. Lengths are twips,
// enumerations are written by name, pictures as base64. Unknown members
// are ignored so that a later version's extra settings do not stop a read.
class LayoutSerializer
{
public:
    static constexpr const char *FormatTag = "velmora-report-layout";
    static constexpr int Version = 1;

    static QByteArray toBytes(const ReportLayout &layout);
    // Replaces the layout's design; raises ReportError(BadLayout) and leaves
    // the layout untouched when the bytes are not a layout of this format.
    static void load(ReportLayout &layout, const QByteArray &bytes);
};

} // namespace platform::report
