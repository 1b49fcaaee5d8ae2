#pragma once

#include <QString>

// Per-process test environment: every test executable runs with its own
// temporary HOME and XDG folders so that it never touches the user's
// settings, documents or databases.
namespace testsupport {

// The temporary home folder of this test process.
QString homeDir();

// A fresh empty folder below the temporary home, unique per call.
QString freshDir(const QString &prefix = QStringLiteral("t"));

// Folder holding the test executable (where master.gen and the other
// program files are placed by the build).
QString programDir();

} // namespace testsupport
