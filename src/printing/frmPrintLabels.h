#pragma once

#include "platform/base/Variant.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class UpDown;

namespace platform {
class Grid;
class Recordset;
} // namespace platform

// Label printing for the lines of a stock movement: one label per unit of
// each line's quantity, the count of every line editable, a number of
// label positions left empty at the start of a started sheet, preview and
// print on the label printer of the settings with the stored label layout.
class frmPrintLabels : public QDialog
{
    Q_OBJECT

public:
    // The fields of the label record, the names the label layout's data
    // fields and barcodes are bound to.
    static constexpr int NumeroCampi = 8;

    explicit frmPrintLabels(QWidget *parent = nullptr);
    ~frmPrintLabels() override;

    // The entry point, given the movement's IdReg: fills the list of lines
    // and shows the dialog modally; returns when it closes. A database
    // error while reading the lines is told and the dialog does not open.
    static void Apri(const platform::Variant &idReg);

    // Reads the lines of the movement into the grid (code, description,
    // the counterpart's code and name, the supplier's article code, price,
    // VAT amount, VAT-inclusive price, and the quantity as the count of
    // labels), in line order. Database errors reach the caller.
    void CaricaRighe(const platform::Variant &idReg);
    // Widens the code and description columns to their texts.
    void AdattaColonne();
    // The line table: one record per line, nine fields in the grid's order.
    platform::Recordset &Righe() const { return *m_righe; }

    // Builds the label records and previews (true) or prints (false) them.
    // With no label to print it says so and the dialog stays open; so it
    // does, with the error told, when the layout, the run or the printer
    // fails. Otherwise the dialog closes.
    void StampaEtichette(bool anteprima);

    // ---- the arithmetic, apart from the window ----
    // The labels of a line's count: a number (0 when empty or not a
    // number) to the nearest whole number, halves to the even one; none
    // below 1.
    static std::int32_t Copie(const platform::Variant &conteggio);
    // The label records of the line table: each line repeated for its
    // count, its texts cut to the sizes of the label record.
    static std::shared_ptr<platform::Recordset> RecordEtichette(platform::Recordset &righe);
    // The skip box as a whole number, 0 when empty.
    std::int32_t EtichetteDaSaltare() const;

    static QString NessunaEtichettaText();

    // Runs the shared label report over label records (one record per
    // label, as RecordEtichette makes them) on the label printer of the
    // settings with the stored label layout, `daSaltare` positions left
    // empty first: previews it, modeless, or prints `copie` copies of it
    // and unloads it. Without records it says NessunaEtichettaText and
    // answers false; so it does when the stored layout cannot be read
    // (told by the layout's reader): nothing goes to the printer, rather
    // than a sheet of the built-in, empty label. Errors reach the caller,
    // with no skip count left for a later run.
    static bool StampaRecord(const std::shared_ptr<platform::Recordset> &etichette, std::int32_t daSaltare,
                             bool anteprima, int copie = 1);

    QLabel *lblData = nullptr;
    std::array<QLineEdit *, 1> txtData{};
    UpDown *UpDown1 = nullptr;
    platform::Grid *GridEX1 = nullptr;
    QPushButton *cmdPreview = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

private:
    std::unique_ptr<platform::Recordset> m_righe;
};
