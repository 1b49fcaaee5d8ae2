#pragma once

#include "platform/desktop/DesktopServices.h"

class QFileDialog;
class QMessageBox;

namespace platform {

// The real desktop: Qt's message box, file and font dialogs, the desktop's
// viewer and browser, the system's printers and folders.
class QtDesktopServices : public DesktopServices
{
public:
    int msgBox(const QString &prompt, int style = vbOKOnly, const QString &title = {}) override;
    std::optional<QString> getOpenFileName(const FileDialogRequest &request) override;
    std::optional<QString> getSaveFileName(const FileDialogRequest &request) override;
    std::optional<QFont> chooseFont(const QFont &initial, const QString &title = {}) override;
    // The desktop's viewer cannot jump to a topic, so contextId is not used.
    bool showHelp(const QString &helpFile, int contextId) override;
    bool openUrl(const QUrl &url) override;
    QString documentsFolder() override;
    QList<PrinterDescription> installedPrinters() override;
    QString defaultPrinter() override;
    void removeCloseButton(QWidget *window) override;
    void setFrameless(QWidget *window, bool frameless) override;

    // Sets up a file dialog for a request (title, folder, file name, filters,
    // default suffix, overwrite prompt, file mode) without showing it.
    static void configureFileDialog(QFileDialog &dialog, const FileDialogRequest &request, bool save);

    // The documents folder of the standard locations, else the home folder.
    static QString standardDocumentsFolder();
};

} // namespace platform
