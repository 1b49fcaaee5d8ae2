#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The small window shown while a report goes to the printer: which printer
// receives the document, and an "Annulla" button that asks the print job to
// stop before its next page. One shared instance, loaded for the length of
// one print by comRepLib::PrintReport and never shown modal.
class comfrmPrintProgress : public QDialog
{
    Q_OBJECT

public:
    // The shared instance, created on first use.
    static comfrmPrintProgress &Carica();
    // The shared instance while it is loaded, else null.
    static comfrmPrintProgress *Corrente();
    // Destroys the shared instance (nothing when it is not loaded).
    static void Scarica();

    // Set False before each print, True by "Annulla".
    bool Cancelled = false;

    QLabel *lblPrintWhere = nullptr;
    QLabel *lblPage = nullptr;
    QLabel *lblPercent = nullptr;
    QPushButton *cmdCancel = nullptr;

    // Esc and the window's close box act as "Annulla".
    void reject() override;

private:
    explicit comfrmPrintProgress(QWidget *parent = nullptr);
    ~comfrmPrintProgress() override;

    void cmdCancel_Click();
};
