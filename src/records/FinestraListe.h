#pragma once

#include "records/FinestraRecord.h"

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;

// The unit and category windows: one row of Liste of their key ("um" or
// "cat") and the "Predefinito" mark that new articles take their unit or
// category from. A unit has a code (fixed once saved) and a description; a
// category only its description, which articles store.
class FinestraListe : public FinestraRecord
{
    Q_OBJECT

public:
    platform::Variant Nuovo(int modal);
    platform::Variant Apri(std::int32_t id, int modal);

    // Unit: code and description; category: the description alone.
    std::vector<QLineEdit *> txtData;
    std::vector<QLabel *> lblData;
    std::array<QCheckBox *, 1> chkData{};

protected:
    struct Tipo
    {
        QString nome;        // the window's object name
        QString titolo;
        QString chiave;      // Liste.Chiave of its rows
        QString colonna;     // what articles store: Codice or Descrizione
        bool conCodice;      // a unit's code box comes first
        QString *predefinito; // the shared default the mark sets
    };

    FinestraListe(const Tipo &tipo, QWidget *parent);

    void ValoriNuovo(platform::Recordset &record) override;
    void Imposta() override;
    bool InvioAvanza(const QWidget *control) const override;
    void SalvaAltro(platform::Connection &connection) override;
    void DopoSalvataggio() override;

private:
    Tipo m_Tipo;
};

// The unit of measure window.
class frm_io_UM : public FinestraListe
{
    Q_OBJECT

public:
    explicit frm_io_UM(QWidget *parent = nullptr);
};

// The article category window.
class frm_io_Cat : public FinestraListe
{
    Q_OBJECT

public:
    explicit frm_io_Cat(QWidget *parent = nullptr);
};
