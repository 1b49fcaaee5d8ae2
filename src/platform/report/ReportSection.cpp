#include "platform/report/ReportSection.h"

#include "platform/report/ReportError.h"

#include <algorithm>
#include <cmath>

namespace platform::report {

ReportSection::ReportSection(SectionKind kind, QString name)
{
    this->kind = kind;
    this->name = std::move(name);
}

ReportControl *ReportSection::findControl(const QString &name) const
{
    for (const auto &c : m_controls) {
        if (c->name.compare(name, Qt::CaseInsensitive) == 0)
            return c.get();
    }
    return nullptr;
}

ReportControl &ReportSection::control(const QString &name) const
{
    if (ReportControl *c = findControl(name))
        return *c;
    throw ReportError(ReportError::Kind::NoSuchItem,
                      QStringLiteral("La sezione '%1' del report non ha il controllo '%2'.").arg(this->name, name));
}

ReportControl &ReportSection::addControl(ControlKind kind, const QString &name)
{
    auto control = std::make_unique<ReportControl>();
    control->kind = kind;
    control->name = name;
    switch (kind) {
    case ControlKind::Line:
        control->height = 0;
        break;
    case ControlKind::CheckBox:
        control->height = 255;
        break;
    case ControlKind::Barcode:
        control->height = 720;
        control->width = 2160;
        break;
    default:
        break;
    }
    m_controls.push_back(std::move(control));
    return *m_controls.back();
}

ReportControl &ReportSection::addPlaced(ControlKind kind, const QString &name, double left, double top,
                                        double width, double height)
{
    ReportControl &c = addControl(kind, name);
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    return c;
}

ReportControl &ReportSection::addLabel(const QString &name, const QString &caption, double left, double top,
                                       double width, double height)
{
    ReportControl &c = addPlaced(ControlKind::Label, name, left, top, width, height);
    c.caption = caption;
    return c;
}

ReportControl &ReportSection::addField(const QString &name, const QString &dataField, double left, double top,
                                       double width, double height)
{
    ReportControl &c = addPlaced(ControlKind::Field, name, left, top, width, height);
    c.dataField = dataField;
    return c;
}

ReportControl &ReportSection::addLine(const QString &name, double x1, double y1, double x2, double y2)
{
    ReportControl &c = addControl(ControlKind::Line, name);
    c.left = x1;
    c.top = y1;
    c.x2 = x2;
    c.y2 = y2;
    c.width = std::abs(x2 - x1);
    c.height = std::abs(y2 - y1);
    return c;
}

ReportControl &ReportSection::addShape(const QString &name, ShapeStyle shape, double left, double top,
                                       double width, double height)
{
    ReportControl &c = addPlaced(ControlKind::Shape, name, left, top, width, height);
    c.shape = shape;
    return c;
}

ReportControl &ReportSection::addCheckBox(const QString &name, const QString &dataField, double left, double top,
                                          double width, double height)
{
    ReportControl &c = addPlaced(ControlKind::CheckBox, name, left, top, width, height);
    c.dataField = dataField;
    return c;
}

ReportControl &ReportSection::addPicture(const QString &name, const QByteArray &imageData, double left, double top,
                                         double width, double height)
{
    ReportControl &c = addPlaced(ControlKind::Picture, name, left, top, width, height);
    c.imageData = imageData;
    return c;
}

ReportControl &ReportSection::addBarcode(const QString &name, BarcodeStyle style, const QString &dataField,
                                         double left, double top, double width, double height)
{
    ReportControl &c = addPlaced(ControlKind::Barcode, name, left, top, width, height);
    c.barcodeStyle = style;
    c.dataField = dataField;
    return c;
}

ReportControl &ReportSection::addCopy(const ReportControl &control)
{
    m_controls.push_back(std::make_unique<ReportControl>(control));
    return *m_controls.back();
}

bool ReportSection::removeControl(const QString &name)
{
    auto it = std::find_if(m_controls.begin(), m_controls.end(), [&](const auto &c) {
        return c->name.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (it == m_controls.end())
        return false;
    m_controls.erase(it);
    return true;
}

bool ReportSection::sameDesign(const ReportSection &other) const
{
    if (!(static_cast<const SectionProperties &>(*this) == static_cast<const SectionProperties &>(other)))
        return false;
    if (m_controls.size() != other.m_controls.size())
        return false;
    for (size_t i = 0; i < m_controls.size(); ++i) {
        if (!(*m_controls[i] == *other.m_controls[i]))
            return false;
    }
    return true;
}

} // namespace platform::report
