#pragma once

#include "common/comProgramInfo.h"
#include "platform/base/DateTime.h"
#include "platform/base/Variant.h"
#include "platform/data/DatabaseError.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

class QWidget;

namespace platform {
class Connection;
}

// The program's start procedure and the state that every window shares:
// where the database is, the registry key paths, the working date, the
// display formats, the default codes and the printer lists. Everything
// runs on the user-interface thread; there is no shared connection, every
// procedure opens its own with ConnString.
namespace MainModule {

// The product title, part of the registry key paths and the caption of
// the program's message boxes.
inline const QString &ApplicationTitle = comProgramInfo::ApplicationTitle;

// Shared state.
inline QString ConnString;        // connection string of the open database
inline QString DbPath;            // folder of the open database, no trailing "/"
inline QString DbName;            // file name of the open database
inline QString DataFolder;        // documents folder + "/BrevelDB"
inline QString SettingsKey;       // "Software\Korvane\Velmora\Settings"
inline QString SettingsKeyCopy;   // the same path, for the database and version values
inline QString PrintersKey;       // "Software\Korvane\Velmora\Printers"
inline float ScrollBarWidth = 0;  // width of a vertical scroll bar, twips
inline platform::DateTime WorkDate;
inline std::int16_t WorkYear = 0;
inline std::int16_t NumDecQ = 0;
inline std::int16_t NumDecV = 0;
inline QString QtyFormat;
inline QString ValueFormat;
inline QString DefaultCodiceIVA;
inline QString DefaultUM;
inline QString DefaultCategoria;
inline QStringList InstalledPrinters;
inline QStringList InstalledPrinterDetails;
inline std::int32_t InstalledPrinterCount = 0;
inline std::array<QString, 2> PrinterNames;   // 0 report printer, 1 label printer
inline std::array<QString, 2> PrinterDetails;
inline std::int32_t SkipLabels = 0;

// The start procedure: data folder, key paths, choice of the database
// (creating the default one from the template when nothing opens), schema
// upgrades and the version of the first run. Returns false when the
// program must end (the user has been told why).
bool Main();

// The data folder "BrevelDB" in the user's documents folder, created when
// nothing of that name exists; empty when there is no documents folder.
QString CartellaDati();

// A database file that exists but does not open, and why.
struct FileNonAperto
{
    QString path;
    platform::DatabaseError::Kind kind = platform::DatabaseError::Kind::General;
    // The file and why, in Italian: the first line of the start's message.
    QString Messaggio() const;
};

// Chooses the database: the primary one of the settings, else the
// secondary one, else "gest01.mdb" in the data folder. Sets DbPath, DbName
// and ConnString and returns true when one opens. Only a candidate whose
// file or folder is missing passes the choice on to the next one: a file
// that exists but does not open (held by another program, damaged, not a
// database) is still the user's, and ends the choice. The answer is then
// false and *nonAperto, when given, names the file.
bool ImpostaConnessione(std::optional<FileNonAperto> *nonAperto = nullptr);

// True when a connection with the string cannot be opened.
bool ConnessioneFallita(const QString &connString);
// True when the open database cannot be written: its file, or its folder
// (where every write keeps its journal), is read-only. False also when it
// cannot be opened at all.
bool DatabaseSolaLettura();
// What the start says of a database that cannot be written.
QString AvvisoSolaLettura();
// Why a connection with the string cannot be opened: the kind of the data
// layer's error (General for any other error); nullopt when it opens.
std::optional<platform::DatabaseError::Kind> ErroreConnessione(const QString &connString);

// Creates the default database "gest01.mdb" in the data folder from the
// template "master.gen" of the program folder. False when the template is
// missing. An existing database is never overwritten. When the template is
// there but the copy cannot be made (no data folder, a folder that cannot
// be written, a full disk, a file already in the way) the answer is still
// true, nothing is left behind, and *error, when given, says why in Italian;
// it is left empty after a good copy.
bool CopiaModello(QString *error = nullptr);

// A start-up message after which the program ends: `firstLine`, then
// "L'applicazione non verrà avviata.", critical icon, OK, the title as
// caption. Always answers false, the start's answer after it.
bool MessaggioFatale(const QString &firstLine);

// Takes the close button off a window.
void DisabilitaChiudi(QWidget *window);

// The connection string of the database file `file` in `folder`.
QString CostruisciConnString(const QString &folder, const QString &file);

// The folder of the executable, where master.gen and the program's other
// files live.
QString CartellaProgramma();
// Makes CartellaProgramma() answer another folder (tests); empty restores it.
void ImpostaCartellaProgramma(const QString &folder);

// One registry value through a new comRegistry: the default answers when
// the value cannot be read.
platform::Variant LeggiRegistro(std::int32_t rootKey, const QString &keyPath, std::int32_t valueType,
                                const QString &valueName,
                                const std::optional<platform::Variant> &defaultValue = std::nullopt);
// Writes one registry value; a refused write raises the registry's error.
void ScriviRegistro(std::int32_t rootKey, const QString &keyPath, std::int32_t valueType,
                    const QString &valueName, const platform::Variant &value);

// A whole-number setting under SettingsKey; `defaultValue` when it is
// missing or what is stored is not a whole number.
std::int32_t LeggiNumero(const QString &valueName, std::int32_t defaultValue);
// Writes a text setting under SettingsKeyCopy for the start and the main
// window. A refused write is reported once per start (the same store
// refuses every later write too) and the program goes on without the
// stored value; false when the value was not stored.
bool ScriviImpostazione(const QString &valueName, const QString &value);
// The message that tells the user that the settings could not be saved,
// naming the settings file (the store's own words are not for the user).
QString ImpostazioniNonSalvate();

// The per-year movement counter (the '_Pars' row 'maga' of the year).
// Each call reads and writes the row in one write transaction, so that
// two copies of the program never hand out the same number.
//
// The year's last movement number, 0 (and a new row) for a year never used;
// a year that has its row is only read, and a database that cannot be
// written answers 0 for a year it has no row for.
std::int32_t LeggiProgressivo(std::int16_t year);
// Hands out the year's last number n and records n + 1: the caller numbers
// its movement n + 1.
std::int32_t ProssimoProgressivo(std::int16_t year);
// The same on the caller's connection, inside its transaction: the number
// is handed out only when the caller commits.
std::int32_t ProssimoProgressivo(platform::Connection &connection, std::int16_t year);
// Sets the year's last number.
void SalvaProgressivo(std::int32_t value, std::int16_t year);
// Sets the year's last number only while it still is `shown` (an empty
// number counts as 0, as LeggiProgressivo shows it); false, and nothing
// changes, when another copy of the program has changed it meanwhile.
bool CambiaProgressivo(std::int32_t value, std::int16_t year, std::int32_t shown);

// The schema upgrades, run at every start in this order; each opens its
// own connection and only reads unless it finds something to change, so
// that a current database that cannot be written still opens. Upgrades 1,
// 5 and 7 ignore the failure that means the change is already there, but
// raise a lock or a read-only file like the others, which raise every
// error after rolling back.
void AggiungiScortaMinima();
void AzzeraScortaMinima();
void ConvertiCausali();
void AllargaDescrizione();
void CreaQueryInventario();
void ConvertiQuantita();
void AggiungiUbicazione();
void ConsentiStringheVuote();
// Adds the stock tables (load lines with their dates, each article's stock
// per year) and their triggers to a database that lacks them, in one
// transaction.
void CreaTabelleGiacenze();

// Runs the upgrades. A failing one is rolled back and reported, and
// the rest wait for the next start. Returns false when the database cannot
// be used after all (the start must end).
bool AggiornaDatabase();

// Reads the settings the main window loads once at start: returns each
// node's stored sub-view choice ("cursublay00" to "cursublay07", 0 when
// missing or not a number) and fills NumDecQ, NumDecV, the three default
// codes, QtyFormat and ValueFormat from the database. A value the database
// cannot give keeps its default, and the user is told once.
std::array<std::int32_t, 8> CaricaImpostazioni();

// The display format of a number with `decimals` decimals: "#,#" or
// "#,#." followed by that many zeros.
QString FormatoNumero(int decimals);

} // namespace MainModule
