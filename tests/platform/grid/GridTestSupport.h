#pragma once

#include "DataFixture.h"

#include "platform/base/Variant.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridDataSource.h"

#include <QString>
#include <QPoint>
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

class QWidget;

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

// A grid test on its own copy of the sample database (see DataFixture).
class SampleGridTest : public ::testing::Test
{
protected:
    // Binds a grid (the test's own by default) to a record source on the database.
    void bind(const QString &source) { bind(grid, source); }
    void bind(platform::Grid &target, const QString &source);
    QString connectionString() const { return testsupport::DataFixture::connectionString(path); }

    QString path = testsupport::DataFixture::createSampleDatabase();
    platform::Grid grid;
};

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
