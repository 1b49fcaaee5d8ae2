#pragma once

#include "platform/base/Variant.h"
#include "platform/grid/GridDataSource.h"

#include <QString>
#include <QPoint>
#include <QStringList>

#include <vector>

class QWidget;

namespace platform {
class Grid;
}

// Helpers shared by the grid's tests.
namespace gridtest {

// A table held in memory, for the tests of sorting and grouping logic.
class TableSource : public platform::GridDataSource
{
public:
    TableSource(QStringList names, std::vector<std::vector<platform::Variant>> rows)
        : m_names(std::move(names))
        , m_rows(std::move(rows))
    {
    }

    int recordCount() const override { return static_cast<int>(m_rows.size()); }
    int fieldCount() const override { return static_cast<int>(m_names.size()); }
    QString fieldName(int field) const override { return m_names.value(field); }
    platform::DataType fieldType(int) const override { return platform::DataType::adVariant; }
    int fieldSize(int) const override { return 0; }
    platform::Variant value(int record, int field) const override
    {
        return m_rows.at(static_cast<size_t>(record)).at(static_cast<size_t>(field));
    }

private:
    QStringList m_names;
    std::vector<std::vector<platform::Variant>> m_rows;
};

// A database of the program's shape with the fixture's sample rows, and
// its connection string.
QString sampleDatabase();
QString connectionString(const QString &path);
// Binds the grid to a record source on the database at path.
void bind(platform::Grid &grid, const QString &path, const QString &source);

// Shows the grid as the active window with the focus in its view.
void showAndFocus(platform::Grid &grid);
// Sends keys to whatever widget has the focus, as typing does.
void typeText(const QString &text);
void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Makes a cell current and types into it, then presses a key (Tab by default).
void typeIntoCell(platform::Grid &grid, int row, int column, const QString &text, Qt::Key then = Qt::Key_Tab);
// A double click as a user makes it: press, release, then the double click.
void doubleClick(QWidget *widget, const QPoint &at);
// The widget that has the focus now.
QWidget *focused();

} // namespace gridtest
