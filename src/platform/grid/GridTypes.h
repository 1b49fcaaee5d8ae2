#pragma once

#include "platform/base/Variant.h"

#include <QString>
#include <Qt>

namespace platform {

// The order of a sort key or a group level, numbered as the windows pass it.
enum class SortOrder : int {
    Ascending = 1,
    Descending = -1,
};

// How a column shows its values. The number is the column's type code:
// image columns (1) show a picture of the grid's image list and cannot be
// grouped.
enum class GridColumnKind : int {
    Text = 0,
    Image = 1,
    CheckBox = 2,
};

// The comparison of a find; the numbers are the condition codes the
// windows pass.
enum class FindCondition : int {
    EqualTo = 0,
    BeginsWith = 4,
};

// The direction of a find from its start row.
enum class FindDirection : int {
    Forward = 1,
    Backward = -1,
};

// How lines are drawn between the cells; the numbers are those the format
// dialog keeps as item data.
enum class GridLineStyle : int {
    None = -1,
    Solid = 0,
    Dashes = 1,
    Dots = 2,
};

// A key going to the grid, as its keyDown and keyPress notifications pass
// it. A handler sets handled to swallow the key.
struct GridKeyEvent {
    int key = 0;                                     // Qt::Key
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    QString text;                                    // the character typed (keyPress)
    bool handled = false;
};

// A cell value about to be stored (beforeColUpdate). A handler may change
// newValue, or set cancel to refuse the value: the cell keeps the focus.
struct GridCellUpdate {
    int row = 0;
    int column = 0;
    Variant oldValue;
    Variant newValue;
    bool cancel = false;
};

// A row about to be stored or deleted. A handler sets cancel to refuse.
struct GridRowUpdate {
    int row = 0;
    bool cancel = false;
};

// An error met while storing a value or a row. The grid shows description
// in a message box unless a handler clears showMessage.
struct GridDataError {
    int number = 0;
    QString description;
    QString source;
    bool showMessage = true;
};

} // namespace platform
