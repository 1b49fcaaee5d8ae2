#pragma once

#include "records/FinestraRecord.h"

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;

// The VAT code window: a row of CodiciIVA with its code (fixed once saved),
// description and rate, the exemption box that greys the rate, and the
// "Predefinito" mark that new articles take their VAT code from.
class frm_io_IVA : public FinestraRecord
{
    Q_OBJECT

public:
    explicit frm_io_IVA(QWidget *parent = nullptr);

    platform::Variant Nuovo(int modal);
    platform::Variant Apri(const QString &codiceIVA, int modal);

    std::array<QLineEdit *, 3> txtData{};
    std::array<QLabel *, 3> lblData{};
    // 0 "Esenzione", 1 "Predefinito".
    std::array<QCheckBox *, 2> chkData{};

protected:
    void ValoriNuovo(platform::Recordset &record) override;
    void Imposta() override;
    bool InvioAvanza(const QWidget *control) const override;
    void SalvaAltro(platform::Connection &connection) override;
    void DopoSalvataggio() override;

private:
    // The rate box and its label, enabled or greyed; greyed, the rate is 0.
    void AbilitaAliquota(bool enabled);
};
