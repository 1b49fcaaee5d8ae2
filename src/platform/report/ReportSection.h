#pragma once

#include "platform/report/ReportControl.h"
#include "platform/report/ReportEnums.h"

#include <QString>

#include <memory>
#include <vector>

namespace platform::report {

// The settings of a section, apart from its controls; a plain value so
// that the engine can keep the design values of a run and put them back.
struct SectionProperties {
    SectionKind kind = SectionKind::Detail;
    QString name;
    double height = 0; // twips
    bool visible = true;
    // The section grows with its growing fields.
    bool canGrow = false;
    // Sections never break across pages; on a group header this also keeps
    // the header on the page of the group's first detail record.
    bool keepTogether = false;
    NewPage newPage = NewPage::None;
    // Group header: what the records are grouped on, a column name or "="
    // and an expression (a layout can instead give a key function).
    QString groupBy;
    // Detail: label positions per row, the space between two of them and
    // the order they are filled in.
    int columnCount = 1;
    double columnSpacing = 0;
    ColumnDirection columnDirection = ColumnDirection::AcrossDown;

    bool operator==(const SectionProperties &) const = default;
};

// One band of a report layout with its controls, which keep their
// addresses for the life of the section.
class ReportSection : public SectionProperties
{
public:
    explicit ReportSection(SectionKind kind, QString name);

    const std::vector<std::unique_ptr<ReportControl>> &controls() const { return m_controls; }

    // The control of that name (case-insensitive); findControl answers
    // nullptr where control() raises a ReportError.
    ReportControl *findControl(const QString &name) const;
    ReportControl &control(const QString &name) const;

    // Adds a control of a kind with the default properties of its kind.
    ReportControl &addControl(ControlKind kind, const QString &name);
    // A new control of `kind` at the given place, in twips.
    ReportControl &addPlaced(ControlKind kind, const QString &name, double left, double top, double width,
                             double height);
    ReportControl &addLabel(const QString &name, const QString &caption, double left, double top, double width,
                            double height);
    ReportControl &addField(const QString &name, const QString &dataField, double left, double top, double width,
                            double height);
    ReportControl &addLine(const QString &name, double x1, double y1, double x2, double y2);
    ReportControl &addShape(const QString &name, ShapeStyle shape, double left, double top, double width,
                            double height);
    ReportControl &addCheckBox(const QString &name, const QString &dataField, double left, double top,
                               double width, double height);
    ReportControl &addPicture(const QString &name, const QByteArray &imageData, double left, double top,
                              double width, double height);
    ReportControl &addBarcode(const QString &name, BarcodeStyle style, const QString &dataField, double left,
                              double top, double width, double height);
    // Adds a copy of a control (its name included).
    ReportControl &addCopy(const ReportControl &control);
    bool removeControl(const QString &name);
    void clearControls() { m_controls.clear(); }

    // Same settings and the same controls in the same order.
    bool sameDesign(const ReportSection &other) const;

private:
    std::vector<std::unique_ptr<ReportControl>> m_controls;
};

} // namespace platform::report
