#pragma once

#include <QDialog>
#include <QString>

#include <array>

class QFrame;
class QKeyEvent;
class QLabel;
class QPushButton;

// The database utilities dialog of the Data menu. Mode 0 chooses the
// primary and the secondary database and stores them in the registry for
// the next start; mode 1 creates a new database by copying the template
// "master.gen" of the program folder. Modes 2 to 5 (new from a template,
// compact, backup, restore) only show their texts.
class comfrmDbUtils : public QDialog
{
    Q_OBJECT

public:
    // The modes, in the order of the entry procedures.
    enum Mode : int {
        ModeSeleziona = 0,
        ModeNuovo = 1,
        ModeNuovoDaModello = 2,
        ModeCompatta = 3,
        ModeBackup = 4,
        ModeRipristina = 5,
    };

    // What the dialog needs of the program's shared state.
    struct Impostazioni
    {
        QString SettingsKeyCopy;    // registry key of "dbPath", "dbName", "dbPath2", "dbName2"
        QString DbPath;             // folder of the open database (where the open dialog starts)
        QString DataFolder;         // the data folder (start folder when DbPath is empty, and of mode 1)
        QString CartellaProgramma;  // folder of "master.gen"; the executable's folder when empty
    };

    // Loads the dialog in a mode: texts, rows and, in mode 0, the stored
    // databases; the close button is taken off.
    comfrmDbUtils(int mode, const Impostazioni &settings, QWidget *parent = nullptr);
    ~comfrmDbUtils() override;

    // The entry procedures: each shows the dialog modally in its mode and
    // returns once it has been closed with OK or Annulla.
    static void Seleziona(const Impostazioni &settings, QWidget *owner = nullptr);
    static void Nuovo(const Impostazioni &settings, QWidget *owner = nullptr);
    static void NuovoDaModello(const Impostazioni &settings, QWidget *owner = nullptr);
    static void Compatta(const Impostazioni &settings, QWidget *owner = nullptr);
    static void Backup(const Impostazioni &settings, QWidget *owner = nullptr);
    static void Ripristina(const Impostazioni &settings, QWidget *owner = nullptr);

    // The program's texts.
    static QString EmptyPathText();       // "<vuoto>"
    static QString RestartText();         // after a database has been chosen
    static QString CreatedText();         // after a new database has been made
    static QString AlreadyThereText();    // the new database's name is taken
    static QString SystemFileMissingText(); // any failure of OK
    static QString InvalidDatabaseText(); // a chosen file is not a database

    int mode() const { return m_mode; }
    bool changed(int row) const { return m_changed.at(row); }
    // The folder (no trailing "/") and the file name chosen for a row in mode 0.
    QString folder(int row) const { return m_folder.at(row); }
    QString fileName(int row) const { return m_fileName.at(row); }

    QFrame *picBanner = nullptr;
    QLabel *lblTitle = nullptr;
    std::array<QLabel *, 4> lblcom{};
    std::array<QLabel *, 2> lbldb{};
    std::array<QLabel *, 2> lbltxtdb{};
    std::array<QPushButton *, 2> cmdopendb{};
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

protected:
    // F1 opens the dialog's help topic.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FillTexts();
    void LoadStoredDatabases();
    void cmdopendb_Click(int row);
    void ChooseDatabase(int row);
    void ChooseNewDatabase();
    void cmdOK_Click();
    void WriteChosenDatabases();
    void CreateDatabase();
    QString ProgramFolder() const;

    int m_mode;
    Impostazioni m_settings;
    std::array<bool, 2> m_changed{};
    std::array<QString, 2> m_folder;
    std::array<QString, 2> m_fileName;
};
