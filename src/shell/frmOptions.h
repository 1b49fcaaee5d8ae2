#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

// The options dialog ("Opzioni"): start-up and layout switches, the movement
// counter of the working year, the decimals, the printers, the working date
// and the database files. Each entry point shows only the tabs it concerns
// and saves, after "Salva", the sections the user touched.
class frmOptions : public QDialog
{
    Q_OBJECT

public:
    // Tabs of `tbs`, by index.
    enum Tab { TabGenerale = 0, TabMagazzino = 1, TabStampanti = 2, TabDataLavoro = 3, TabDatabase = 4 };
    // The changed flags, by section.
    enum Sezione { SezGenerale = 0, SezMagazzino = 1, SezStampanti = 2, SezDataLavoro = 3, SezDatabase = 4 };

    explicit frmOptions(QWidget *parent = nullptr);
    ~frmOptions() override;

    // The entry points: general, warehouse and printers; the warehouse
    // alone; the working date; the database files.
    static void ApriTutto();
    static void ApriMagazzino();
    static void ApriWorkingDate();
    static void ApriDatabase();

    static inline const QString Vuoto = QStringLiteral("<vuoto>");
    static inline const QString DatabaseNonValido = QStringLiteral("Database non valido");
    static inline const QString ContatoreCambiato =
        QStringLiteral("Il Progressivo Magazzino è stato modificato da un altro utente nel frattempo: "
                       "il nuovo valore non è stato salvato.");

    bool Confermato() const { return m_confermato; }
    bool Modificato(int section) const { return m_modificato.at(static_cast<std::size_t>(section)); }
    const QString &PercorsoDb(int index) const { return m_percorsoDb.at(static_cast<std::size_t>(index)); }
    const QString &NomeDb(int index) const { return m_nomeDb.at(static_cast<std::size_t>(index)); }

    // The largest counter and the most decimals the number boxes take.
    static constexpr std::int32_t MaxProgressivo = 2147483647;
    static constexpr int MaxDecimali = 4;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void reject() override;

private:
    // Loads the sections it names, hides the other tabs, shows the dialog
    // and saves the flagged sections after "Salva".
    static void Apri(const std::array<bool, 5> &sections, int currentTab);

    void CaricaGenerale();
    void SalvaGenerale();
    void CaricaMagazzino();
    void SalvaMagazzino();
    void CaricaStampanti();
    void SalvaStampanti();
    void CaricaDataLavoro();
    void SalvaDataLavoro();
    void CaricaDatabase();
    void SalvaDatabase();

    void cmdSalva_Click();
    void cmdAnnulla_Click();
    void cmdData_Click(int index);
    void cmdopendb_Click(int index);
    void lbltxtdb_Change();
    void tbs_Click();
    // Focus to the first control of the current tab.
    void FocusPrimoControllo();
    // Checks the number boxes before "Salva" closes the dialog; false
    // (after the message, the box focused) when one is out of its range.
    bool NumeriValidi();
    void SetLay() const;

    // A number box's value; nullopt when it is empty (the loaded value stays).
    std::optional<std::int64_t> ValoreNumero(int index) const;

    bool m_confermato = false;
    std::array<bool, 5> m_modificato{};
    std::array<QString, 2> m_percorsoDb;
    std::array<QString, 2> m_nomeDb;
    // The counter as loaded, and its year.
    std::int32_t m_progressivoCaricato = 0;
    std::int16_t m_annoProgressivo = 0;
    std::array<std::int32_t, 2> m_decimaliCaricati{0, 2};

    QTabWidget *tbs = nullptr;
    std::array<QCheckBox *, 5> chkRegData{};
    std::array<QLineEdit *, 3> txtProg{};
    QLabel *lblAnno = nullptr;
    std::array<QComboBox *, 2> cmbPrinters{};
    QDateEdit *dtp = nullptr;
    std::array<QPushButton *, 2> cmdData{};
    std::array<QLabel *, 2> lbltxtdb{};
    std::array<QPushButton *, 2> cmdopendb{};
    std::array<QFrame *, 2> shpdb{};
    QPushButton *cmdSalva = nullptr;
    QPushButton *cmdAnnulla = nullptr;
};
