#pragma once

#include <QString>
#include <QTemporaryDir>

// The working copy of the database a benchmark is given (one made by
// velmora_gen), so that the runs change only the copy. It lives in a
// temporary folder that goes with this object.
class BenchCopy
{
public:
    // Takes the program's one argument. On a wrong use or a failed copy it
    // prints why and ends the program (2 and 1).
    explicit BenchCopy(const char *program);

    // The folder, the file name and the connection string of the copy.
    QString folder() const { return m_folder.path(); }
    static QString fileName() { return QStringLiteral("bench.mdb"); }
    QString connectionString() const;

private:
    QTemporaryDir m_folder;
};
