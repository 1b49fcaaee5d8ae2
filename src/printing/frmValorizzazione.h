#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

class QPushButton;
class QRadioButton;

// The small dialog of the year-end closing that asks at which cost the
// stock is valued: the last load cost or the average load cost of the
// year. Esc cancels; Enter presses no button.
class frmValorizzazione : public QDialog
{
    Q_OBJECT

public:
    // The answers of Apri.
    static constexpr std::int32_t Annulla = 0;
    static constexpr std::int32_t CostoUltimo = 1;
    static constexpr std::int32_t CostoMedio = 2;

    explicit frmValorizzazione(QWidget *parent = nullptr);

    // Asks modally over `owner` and answers CostoUltimo, CostoMedio or
    // Annulla.
    static std::int32_t Apri(QWidget *owner);

    std::array<QRadioButton *, 2> optval{};
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdAnnulla = nullptr;

    std::int32_t Risultato() const { return m_Risultato; }

protected:
    // Esc and the close button answer as Annulla does.
    void reject() override;

private:
    void cmdOK_Click();
    void cmdAnnulla_Click();

    std::int32_t m_Risultato = Annulla;
};
