#pragma once

#include "platform/desktop/ScriptedDesktop.h"
#include "platform/report/PrintOptions.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

namespace platform {
class Grid;
}
namespace platform::report {
class ReportLayout;
}

// The setting every printing test runs in: a fixture database with VAT
// codes, units and categories (Italian accents, a description long enough
// to take two lines), the open database in MainModule::ConnString, two
// installed printers, scripted desktop services, and printing that writes
// each job to a PDF file instead of a printer.
class PrintingFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // One print job: where it went and what the pages look like.
    struct Job {
        platform::report::PrintOptions options;
        QString pdf;
        int pagesSent = 0;
    };

    // Lines of `text` that hold `what`, in order.
    static int lineOf(const QString &text, const QString &what);

    // Clicks or double-clicks the title of a catalogue row (from 1).
    static void clickRow(platform::Grid *grid, int row);
    static void doubleClickRow(platform::Grid *grid, int row);
    // Lets windows closed with deleteLater go.
    static void flushDeletes();

    // The lines of a PDF's text, blanks squeezed, empty lines dropped.
    static QString pdfLines(const QString &path);

    // Runs a layout on the fixture database and writes it as PDF.
    QString renderPdf(platform::report::ReportLayout &layout, const QString &name);

    platform::ScopedScriptedDesktop desktop;
    QString database;
    QString folder;
    std::vector<Job> jobs;

    // The fixture's rows, as the lists must show them.
    static const QStringList VatCodes;
    static const QStringList VatDescriptions;
    static const QStringList UnitCodes;        // in code order
    static const QStringList UnitDescriptions; // in code order
    static const QStringList Categories;       // in description order
};
