#pragma once

#include "records/FinestraRecord.h"

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;

// The unit of measure window: a row of Liste with the key "um", its code
// (fixed once saved), its description and the "Predefinito" mark that new
// articles take their unit from.
class frm_io_UM : public FinestraRecord
{
    Q_OBJECT

public:
    explicit frm_io_UM(QWidget *parent = nullptr);

    platform::Variant Nuovo(int modal);
    platform::Variant Apri(std::int32_t id, int modal);

    std::array<QLineEdit *, 2> txtData{};
    std::array<QLabel *, 2> lblData{};
    std::array<QCheckBox *, 1> chkData{};

protected:
    void ValoriNuovo(platform::Recordset &record) override;
    void Imposta() override;
    bool Convalida(QWidget *control) override;
    bool InvioAvanza(const QWidget *control) const override;
    void SalvaAltro(platform::Connection &connection) override;
    void DopoSalvataggio() override;
};
