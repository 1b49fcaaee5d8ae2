#pragma once

#include <QString>

// The program's help: the help file "brevel.chm" of the program folder,
// opened with the desktop's viewer at its start page or at a topic. The
// file is not part of the program; when it is missing the user is told so.
namespace comHelp {

inline const QString HelpFileName = QStringLiteral("brevel.chm");

// Topics the windows open.
inline constexpr int StartPage = 0;
inline constexpr int FirstMovement = 20;       // "La mia prima registrazione"
inline constexpr int ShortcutKeys = 70;        // "Tasti di scelta rapida"
inline constexpr int DatabaseUtilities = 203;  // database utilities dialog
inline constexpr int LabelDesigner = 290;      // label designer
inline constexpr int RecordFinder = 421;       // record finder

// The help file's path: `programFolder` (the executable's folder when
// empty) + "/brevel.chm".
QString HelpFile(const QString &programFolder = QString());

// The message shown when the help file is missing, with its path.
QString MissingText(const QString &helpFile);
// The message shown when the help file is there but the viewer failed.
QString NotOpenedText(const QString &helpFile);

// Opens the help file at the topic (StartPage for its start page). When the
// file is missing, or the viewer cannot open it, says so in a message box
// (OK button, no icon) and answers false.
bool MostraGuida(int context = StartPage, const QString &programFolder = QString());

} // namespace comHelp
