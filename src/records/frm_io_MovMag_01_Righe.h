#pragma once

#include "platform/base/Variant.h"
#include "records/Movimento.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QWidget;

namespace platform {
class Grid;
class GridModel;
class GridRowFormat;
class Recordset;
struct GridCellUpdate;
struct GridDataError;
struct GridKeyEvent;
} // namespace platform

// The lines grid of the movement window: its columns over the movement's
// disconnected lines, the two article lists the code and description
// columns drop down (the working year's stock, and code with description),
// the values a line takes from its article, the keys of the grid (F5 a new
// article, F6 the record finder, F7 the article of the line, no minus sign
// in the numbers) and the status-bar hints. Nothing reaches the database
// from here: the lines stay in the movement until it is saved.
class frm_io_MovMag_01_Righe : public QObject
{
    Q_OBJECT

public:
    // The grid's columns, in order.
    enum Colonna { IdDet = 1, IdReg, Riga, Codice, Descrizione, Quantita, Segno, Costo, Prezzo };
    static inline const QString MsgErroreDati = QStringLiteral("Errore nell'inserimento dei dati");
    static inline const QString SuggerimentoCodice = QStringLiteral("F4-Lista , F5-Nuovo, F6-Trova");

    // The grid lives in `window`, whose status-bar panels are given.
    frm_io_MovMag_01_Righe(platform::Grid *grid, QWidget *window, QLabel *panel1, QLabel *panel2);
    ~frm_io_MovMag_01_Righe() override;

    // Reads the two article lists: the stock of the year `anno` with
    // cost and price, and code with description. Raises the data layer's
    // error when they cannot be read.
    void CaricaListe(std::int16_t anno);
    platform::GridModel *gexArt(int index) const { return m_gexArt[static_cast<size_t>(index)].get(); }

    // Shows the lines of a movement (nullptr: none).
    void Collega(platform::Recordset *righe);
    // Shows the cost (sign +1) or the price (-1), in the grid and in the list.
    void ImpostaSegno(std::int16_t segno);
    // New and modify mode edit the lines; view mode only shows them.
    void ImpostaModificabile(bool on);

    // The supplier a new article created from a line gets (0 for none).
    std::function<std::int32_t()> FornitoreNuovoArticolo;

    // Makes the new-record row's code cell current, as when the grid gets
    // the focus: typing starts a new line.
    void gexDet_GotFocus();

    // Fills description, cost and price of the current line from its
    // article; false when no article has its code.
    bool gexDetRowUpdate();

signals:
    // A line was stored into the movement (the total changes).
    void rigaMemorizzata();
    // Enter on a line without article: the input of lines is over.
    void fineRighe();

private:
    void gexDet_BeforeColUpdate(platform::GridCellUpdate &update);
    void gexDet_AfterColUpdate(int row, int column);
    void gexDet_AfterUpdate();
    void gexDet_RowFormat(platform::GridRowFormat &row);
    void gexDet_KeyDown(platform::GridKeyEvent &key);
    void gexDet_KeyPress(platform::GridKeyEvent &key);
    void gexDet_SelectionChange(int column);
    void gexDet_Error(platform::GridDataError &error);
    // Reads the stock list; raises the data layer's error.
    void LeggiGiacenze();
    // Re-reads the stock list; an error is told and the old list stays.
    void RileggiGiacenze();
    // Reads the description list again when it lacks the current line's code.
    void MostraDescrizione();
    void ImpostaValori(const Movimento::ValoriArticolo &articolo);
    // Puts an article's code into the current line and fills the line from
    // it; false when what was being typed in the line was refused.
    bool ImpostaArticolo(const platform::Variant &codice);
    // Back from a dialog (new, open or find an article): the focus goes to
    // the cell of the current line in `column`. The window getting the
    // activation back would otherwise put it where it likes.
    void TornaAllaCella(int column);
    // The code the current line holds, or is being typed into its cell.
    QString CodiceCorrente() const;
    void NuovoArticolo();
    void ApriArticolo();
    void TrovaArticolo();
    void MostraErrore(const QString &description) const;

    platform::Grid *m_grid;
    QWidget *m_window;
    QLabel *m_panel1;
    QLabel *m_panel2;
    std::array<std::unique_ptr<platform::GridModel>, 2> m_gexArt;
    std::int16_t m_segno = 1;
    bool m_GiacenzeInAttesa = false;
    // Lines were stored, or articles created, since the stock list was read.
    bool m_GiacenzeVecchie = false;
    // The article of the code being stored, read when the code was checked.
    std::optional<Movimento::ValoriArticolo> m_Articolo;
};
