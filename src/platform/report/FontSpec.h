#pragma once

#include <QFont>
#include <QString>

namespace platform::report {

// The font of a report control, kept as the designer shows it (family and
// size in points) and turned into a QFont sized in twips for drawing.
struct FontSpec {
    QString family = QStringLiteral("Arial");
    double size = 10.0; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;

    // A font whose pixel size is the point size in twips (20 per point), to
    // be drawn through a painter scaled from twips to the device. Shaping
    // is off so that "ff" stays two letters in PDF text, hinting is off so
    // that text measures alike on every device.
    QFont toQFont() const;

    bool operator==(const FontSpec &) const = default;
};

} // namespace platform::report
