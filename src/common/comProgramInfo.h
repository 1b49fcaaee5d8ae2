#pragma once

#include <QString>

// What the program knows about itself when it is built: its title, its
// maker, the maker's addresses and the version numbers. The About box and
// the error report read them from here so that they always agree.
namespace comProgramInfo {

// The product title.
inline const QString ApplicationTitle = QStringLiteral("Velmora");

// The maker, as the version information names it.
inline const QString CompanyName = QStringLiteral("Korvane");

// The maker's support mailbox, to which error reports are addressed.
inline const QString SupportMail = QStringLiteral("assistenza@korvane.it");

// The maker's information mailbox and web site, shown in the About box.
inline const QString InfoMail = QStringLiteral("info@korvane.it");
inline const QString WebSite = QStringLiteral("https://www.korvane.it");

// The version of the program, as the build numbers it.
int VersionMajor();
int VersionMinor();
int VersionRevision();

// The three version numbers joined by "." ("1.5.0").
QString VersionText();

} // namespace comProgramInfo
