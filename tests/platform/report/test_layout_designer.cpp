// The layout designer control through its viewport: placing, selecting,
// moving, resizing, formatting and deleting controls with the mouse and the
// keyboard changes the section's controls themselves.
#include "platform/report/LayoutDesigner.h"
#include "platform/report/ReportLayout.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace platform::report;

namespace {

class Designer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        layout.setPrintWidth(3402); // 60 mm
        layout.detail().name = QStringLiteral("Etichetta");
        layout.detail().height = 1701; // 30 mm
        designer.resize(900, 500);
        designer.attach(&layout, QStringLiteral("Etichetta"));
        designer.show();
        QApplication::setActiveWindow(&designer);
        designer.setFocus();
    }

    QPoint at(double x, double y) const { return designer.viewportPoint(QPointF(x, y)); }

    // One mouse event on the viewport with the buttons held during it.
    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = {})
    {
        QMouseEvent event(type, pos, designer.viewport()->mapToGlobal(pos),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, modifiers);
        QApplication::sendEvent(designer.viewport(), &event);
    }
    void drag(QPoint from, QPoint to)
    {
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
        mouse(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
        mouse(QEvent::MouseMove, to, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
    }
    ReportControl &placeByClick(ControlKind kind, double x, double y)
    {
        designer.setTool(kind);
        QTest::mouseClick(designer.viewport(), Qt::LeftButton, {}, at(x, y));
        return *layout.detail().controls().back();
    }

    ReportLayout layout;
    LayoutDesigner designer;
};

using Change = LayoutDesigner::Change;

} // namespace

TEST_F(Designer, AClickWithAToolPlacesEachKindSnappedInsideTheLabelAndGoesBackToSelecting)
{
    QSignalSpy changes(&designer, &LayoutDesigner::layoutChanged);
    const struct {
        ControlKind kind;
        QString name;
    } kinds[] = {{ControlKind::Label, QStringLiteral("Label1")},   {ControlKind::Field, QStringLiteral("Field1")},
                 {ControlKind::Barcode, QStringLiteral("Barcode1")}, {ControlKind::Line, QStringLiteral("Line1")},
                 {ControlKind::Shape, QStringLiteral("Shape1")},   {ControlKind::Label, QStringLiteral("Label2")}};
    for (const auto &k : kinds) {
        ReportControl &c = placeByClick(k.kind, 130, 200);
        EXPECT_EQ(c.kind, k.kind);
        EXPECT_EQ(c.name, k.name);
        // 130 and 200 twips snap to two and four millimetres.
        EXPECT_EQ(c.left, 113);
        EXPECT_EQ(c.top, 227);
        EXPECT_EQ(designer.selection(), QList<ReportControl *>{&c});
        EXPECT_FALSE(designer.tool().has_value());
        EXPECT_EQ(changes.takeLast().at(1).value<Change>(), Change::Placed);
    }
    EXPECT_EQ(layout.detail().controls().size(), 6u);
    const ReportControl &line = *layout.detail().controls()[3];
    EXPECT_EQ(line.x2, line.left + 1440);
    EXPECT_EQ(line.y2, line.top);

    // Near the right edge a barcode is pushed back inside the label.
    ReportControl &edge = placeByClick(ControlKind::Barcode, 3300, 1650);
    EXPECT_EQ(edge.left + edge.width, 3402);
    EXPECT_EQ(edge.top + edge.height, 1701);
}

TEST_F(Designer, DraggingMovesTheSelectionBySnappedStepsWithinTheLabelAndHandlesResize)
{
    ReportControl &a = layout.detail().addLabel(QStringLiteral("lblA"), QStringLiteral("A"), 567, 567, 1134, 283);
    ReportControl &b = layout.detail().addField(QStringLiteral("txtB"), QStringLiteral("Codice"), 567, 1134, 1134, 283);
    designer.attach(&layout, QStringLiteral("Etichetta"));
    QSignalSpy changes(&designer, &LayoutDesigner::layoutChanged);

    // Click a, Ctrl+click b, drag a by about 3 mm right and 1 mm up.
    QTest::mouseClick(designer.viewport(), Qt::LeftButton, {}, at(800, 700));
    QTest::mouseClick(designer.viewport(), Qt::LeftButton, Qt::ControlModifier, at(800, 1250));
    EXPECT_EQ(designer.selection(), (QList<ReportControl *>{&a, &b}));
    drag(at(800, 700), at(800 + 175, 700 - 50));
    EXPECT_DOUBLE_EQ(a.left, 737);
    EXPECT_DOUBLE_EQ(a.top, 510);
    EXPECT_DOUBLE_EQ(b.left, 737);
    EXPECT_DOUBLE_EQ(b.top, 1077);
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes.takeFirst().at(1).value<Change>(), Change::Moved);

    // Far past the corner the pair stops at the label's edges.
    drag(at(800, 600), at(9000, 9000));
    EXPECT_DOUBLE_EQ(a.left + a.width, 3402);
    EXPECT_DOUBLE_EQ(b.top + b.height, 1701);

    // A click on the empty label clears the selection; the bottom-right
    // handle of a alone resizes it.
    QTest::mouseClick(designer.viewport(), Qt::LeftButton, {}, at(100, 100));
    EXPECT_TRUE(designer.selection().isEmpty());
    a.left = 567;
    a.top = 567;
    designer.refresh();
    designer.select(&a);
    drag(at(567 + 1134, 567 + 283), at(2300, 1000));
    EXPECT_DOUBLE_EQ(a.left, 567);
    EXPECT_DOUBLE_EQ(a.width, 2324 - 567);
    EXPECT_DOUBLE_EQ(a.height, 1020 - 567);
    EXPECT_EQ(changes.takeLast().at(1).value<Change>(), Change::Resized);

    // A line's end follows its handle.
    ReportControl &line = layout.detail().addLine(QStringLiteral("Line1"), 0, 1417, 1701, 1417);
    designer.attach(&layout, QStringLiteral("Etichetta"));
    designer.select(&line);
    drag(at(1701, 1417), at(3000, 200));
    EXPECT_DOUBLE_EQ(line.x2, 3004);
    EXPECT_DOUBLE_EQ(line.y2, 227);
    EXPECT_DOUBLE_EQ(line.left, 0);
}

TEST_F(Designer, KeysMoveResizeAndDeleteAndFormatActionsReportTheirState)
{
    ReportControl &label = layout.detail().addLabel(QStringLiteral("lblA"), QStringLiteral("A"), 567, 567, 1134, 283);
    layout.detail().addShape(QStringLiteral("Shape1"), ShapeStyle::Rectangle, 0, 0, 500, 500);
    designer.attach(&layout, QStringLiteral("Etichetta"));
    EXPECT_EQ(designer.actionState(LayoutDesigner::Bold), 0);
    EXPECT_EQ(designer.actionState(LayoutDesigner::DeleteSelection), 0);
    designer.select(&label);

    // A grid step is a millimetre: the right and bottom edges land on 30
    // and 15 mm.
    QTest::keyClick(&designer, Qt::Key_Right);
    QTest::keyClick(&designer, Qt::Key_Down);
    EXPECT_DOUBLE_EQ(label.left, 623);
    EXPECT_DOUBLE_EQ(label.top, 623);
    QTest::keyClick(&designer, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(&designer, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_DOUBLE_EQ(label.width, 1700 - 623);
    EXPECT_DOUBLE_EQ(label.height, 850 - 623);

    const int state = LayoutDesigner::Available;
    EXPECT_EQ(designer.actionState(LayoutDesigner::Bold), state);
    EXPECT_EQ(designer.actionState(LayoutDesigner::AlignLeft), state | LayoutDesigner::On);
    designer.execute(LayoutDesigner::Bold);
    designer.execute(LayoutDesigner::AlignRight);
    EXPECT_TRUE(label.font.bold);
    EXPECT_EQ(label.alignment, TextAlign::Right);
    EXPECT_EQ(designer.actionState(LayoutDesigner::Bold), state | LayoutDesigner::On);
    EXPECT_EQ(designer.actionState(LayoutDesigner::AlignLeft), state);
    designer.execute(LayoutDesigner::Bold);
    EXPECT_FALSE(label.font.bold);

    // A shape alone takes no text formatting; Delete takes the selection off
    // the section.
    designer.select(layout.detail().findControl(QStringLiteral("Shape1")));
    EXPECT_EQ(designer.actionState(LayoutDesigner::Italic), 0);
    QSignalSpy changes(&designer, &LayoutDesigner::layoutChanged);
    QTest::keyClick(&designer, Qt::Key_Delete);
    EXPECT_EQ(layout.detail().findControl(QStringLiteral("Shape1")), nullptr);
    EXPECT_EQ(changes.takeLast().at(1).value<Change>(), Change::Deleted);
    EXPECT_TRUE(designer.selection().isEmpty());
    ASSERT_EQ(layout.detail().controls().size(), 1u);

    // What the designer shows is what the layout stores.
    ReportLayout copy;
    copy.loadBytes(layout.toBytes());
    EXPECT_TRUE(copy.sameDesign(layout));
}
