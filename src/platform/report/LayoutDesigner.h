#pragma once

#include "platform/report/ReportControl.h"
#include "platform/report/ReportEnums.h"

#include <QGraphicsView>
#include <QList>
#include <QPointF>
#include <QRectF>

#include <optional>
#include <vector>

namespace platform::report {

class DesignerItem;
class ReportLayout;
class ReportSection;

// The layout designer control: shows one section of a report layout at the
// layout's print width and lets the user place, select, move, resize,
// format and delete its controls with the mouse and the keyboard, snapped
// to a grid. It edits the section's controls themselves, so what it shows
// is what the layout holds, prints and stores. The layout stays its
// owner's; the designer must be attached to another one (or none) before
// the layout goes.
class LayoutDesigner : public QGraphicsView
{
    Q_OBJECT

public:
    // Designer actions, by the numbers a format bar keeps for them.
    enum Action {
        DeleteSelection = 8,
        FontName = 43,
        FontSize = 44,
        Bold = 45,
        Italic = 46,
        AlignLeft = 47,
        AlignCenter = 48,
        AlignRight = 49,
        Underline = 58,
    };
    // Bits of an action's state.
    enum State { Available = 1, On = 2 };
    // What happened to a control (Placed keeps the number the designer
    // always gave it).
    enum class Change { Placed = 7, Moved = 1, Resized = 2, Deleted = 3, Formatted = 4 };
    Q_ENUM(Change)

    explicit LayoutDesigner(QWidget *parent = nullptr);
    ~LayoutDesigner() override;

    // Shows the section of that name; nullptr shows nothing.
    void attach(ReportLayout *layout, const QString &sectionName);
    ReportLayout *layout() const { return m_layout; }
    ReportSection *section() const { return m_section; }

    // The kind of control the next click places; nullopt is the selection
    // tool. Placing a control goes back to the selection tool.
    void setTool(std::optional<ControlKind> kind);
    std::optional<ControlKind> tool() const { return m_tool; }

    // Places a new control with the default size of its kind at a point of
    // the section (twips, snapped to the grid, kept inside the section),
    // selects it alone and reports it as Placed.
    ReportControl *place(ControlKind kind, QPointF at);

    // The selected controls in the order they were selected.
    QList<ReportControl *> selection() const;
    void select(ReportControl *control, bool addToSelection = false);
    void clearSelection();

    // The state bits of an action for the present selection, and the
    // action itself (nothing when it is not available).
    int actionState(int action) const;
    void execute(int action);

    // Moves the selection by whole grid steps, or resizes it (its right and
    // bottom edges), kept inside the section; reports Moved or Resized.
    void moveSelection(int stepsX, int stepsY);
    void resizeSelection(int stepsX, int stepsY);

    // After a control, the section's height or the print width changed
    // outside the designer: draws them again.
    void refresh();

    // The grid, in twips (every position and size snaps to it).
    double gridSize() const { return m_grid; }
    void setGridSize(double twips);
    double snap(double twips) const;

    // Screen pixels per twip are zoom / 15.
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);

    // The section's area in twips: the print width by the section height.
    QRectF sectionRect() const;
    // Where a point of the section (twips) is in the viewport's coordinates.
    QPoint viewportPoint(QPointF twips) const;
    // The box of a control in twips (a line's from one end to the other).
    static QRectF boxOf(const ReportControl &control);

signals:
    void layoutChanged(platform::report::ReportControl *control, platform::report::LayoutDesigner::Change change);
    void selectionChanged();
    // The state of the actions may have changed (selection, formatting).
    void commandStateChanged();

protected:
    void drawBackground(QPainter *painter, const QRectF &rect) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Edge bits of a resize handle; a line's ends are LineStart and LineEnd.
    enum Edge { Left = 1, Top = 2, Right = 4, Bottom = 8, LineStart = 16, LineEnd = 32 };
    struct Drag {
        enum class Kind { None, Move, Resize } kind = Kind::None;
        QPointF start;
        DesignerItem *item = nullptr;
        int edges = 0;
        std::vector<ReportControl> before; // the selection as the drag found it
        bool changed = false;
    };

    DesignerItem *itemOf(const ReportControl *control) const;
    void rebuild();
    void removeItem(DesignerItem *item);
    // The resize handle of a selected control under a viewport point.
    std::pair<DesignerItem *, int> handleAt(QPoint viewportPos) const;
    void dragTo(QPointF scenePos);
    void shiftSelection(double dx, double dy);
    QString uniqueName(ControlKind kind) const;
    void onSceneSelectionChanged();

    QGraphicsScene *m_scene;
    ReportLayout *m_layout = nullptr;
    ReportSection *m_section = nullptr;
    std::optional<ControlKind> m_tool;
    std::vector<DesignerItem *> m_items;
    QList<DesignerItem *> m_selectionOrder;
    double m_grid = 56.677; // one millimetre
    double m_zoom = 2.0;
    Drag m_drag;
};

} // namespace platform::report

Q_DECLARE_METATYPE(platform::report::ReportControl *)
