#pragma once

#include "platform/base/Variant.h"

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace platform {
class Grid;
struct GridKeyEvent;
}

// The record finder: a modal list of the rows of a query, sorted on one
// column that the user searches by typing (a click on a header picks
// another), from which the user chooses a row. It answers an action code
// ("i" chosen, "n" new, "e" edit, "c" cancelled) and the key column's value
// of the chosen row. The movement lines look up articles with it (F6).
class comfrmFindRecord : public QDialog
{
    Q_OBJECT

public:
    // Action code and key value.
    using Result = std::array<platform::Variant, 2>;

    // Bits of the buttons offered.
    static constexpr std::int32_t ButInsert = 1;
    static constexpr std::int32_t ButNew = 2;
    static constexpr std::int32_t ButEdit = 4;

    explicit comfrmFindRecord(QWidget *parent = nullptr);
    ~comfrmFindRecord() override;

    // Shows the rows of `Query` (bound on `ConnString`) in a window titled
    // `Titolo` over `owner`, and returns what the user did. `ViewButs`
    // enables "Inserisci", "Nuovo" and "Modifica"; `FormatString` is the
    // number of the sort and search column followed by column widths in
    // twips, ";" between them ("2;1820;3220"), or empty for column 1 and
    // the grid's widths; `RetCol` is the column whose value is returned;
    // `SearchValue`, when given, is looked for in column 1 first. Every
    // call starts from ("c", Null), so a window closed with Esc returns
    // ("c", Null). A query that cannot be read raises the data layer's
    // error before anything is shown.
    static Result Trova(const QString &ConnString, const QString &Titolo, const QString &Query,
                        std::int32_t ViewButs, const QString &FormatString, std::int32_t RetCol,
                        const std::optional<platform::Variant> &SearchValue = std::nullopt,
                        QWidget *owner = nullptr);

    // The design width of the window and the part of it taken by the
    // window's border, in twips.
    static constexpr int DesignWidth = 6225;
    static constexpr int BorderWidth = 90;

    const Result &CurrentResult() const { return m_result; }
    std::int32_t KeyColumn() const { return m_keyColumn; }
    // The window's width in twips, border included.
    int WindowWidth() const { return m_windowWidth; }

    QGroupBox *frmFind = nullptr;
    QLabel *lblFindField = nullptr;
    QLineEdit *txtFind = nullptr;
    platform::Grid *gexFind = nullptr;
    QPushButton *cmdInsert = nullptr;
    QPushButton *cmdNew = nullptr;
    QPushButton *cmdEdit = nullptr;
    QPushButton *cmdCancel = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Sets the window's width in twips, border included.
    void SetWindowWidth(int twips);
    // Lays the controls out for the client width (Annulla stays at the
    // right edge, the search box, the frame and the grid stretch).
    void Form_Resize();
    void txtFind_Change();
    void gexFind_KeyDown(platform::GridKeyEvent &key);
    void gexFind_KeyPress(platform::GridKeyEvent &key);
    void gexFind_ColumnHeaderClick(int column);
    void ChooseRecord();
    void NewRecord();
    void EditRecord();
    void CancelFind();
    void HighlightSortColumn(bool firstTime);
    // "Trova in " and the caption of the first sort key's column.
    void ShowSearchColumn();
    // The key column's value on the current row; Null when that row holds
    // no record (an empty list, a group caption).
    platform::Variant CurrentKey() const;
    int SortColumn() const;

    Result m_result;
    std::int32_t m_keyColumn = 1;
    int m_windowWidth = DesignWidth;
};
