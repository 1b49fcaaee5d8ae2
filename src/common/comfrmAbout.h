#pragma once

#include "common/comSplashTimer.h"

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>

class QFrame;
class QLabel;
class QPushButton;
class comLinkLabel;

// One window that serves twice: as the start-up splash (no frame, cut at
// the divider, shown for a minimum time while the main window gets ready)
// and as the modal About box of the Help menu (title, maker, version, the
// maker's web site and mailbox). The program uses one instance, Default(),
// which stays loaded and hidden between uses.
class comfrmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit comfrmAbout(QWidget *parent = nullptr);
    ~comfrmAbout() override;

    // The program's one instance, made when first asked for and kept until
    // the application quits.
    static comfrmAbout &Default();

    // Shows the About box modally over `form`, with `text` on the path line;
    // returns when the user closes it.
    void About(QWidget *form, const QString &text);
    // Shows the splash without waiting, with `text` on the path line; it
    // stays up at least `interval` milliseconds (no minimum when 0 or less).
    // Does nothing while the window is visible.
    void SplashOn(QWidget *form, std::int32_t interval, const QString &text);
    // Waits until the splash's minimum time is over, then hides it. Does
    // nothing when the window is not visible.
    void SplashOff();

    // "Versione " + the three numbers joined by ".".
    static QString VersionLine(int major, int minor, int revision);
    // "Prodotto da: " + the company, or empty text for an empty company.
    static QString CompanyLine(const QString &companyName);

    // True while the window is shown without its frame (as the splash).
    bool CaptionHidden() const { return m_captionHidden; }
    // The full height and the splash's height (cut at the divider), pixels.
    int SavedHeight() const { return m_savedHeight; }
    int SplashHeight() const;

    // The splash's minimum display time.
    comSplashTimer Timer1;

    QLabel *imgIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblCompanyName = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblPathEXE = nullptr;
    std::array<QFrame *, 2> linDivide{};
    comLinkLabel *lblWeb = nullptr;
    comLinkLabel *lblMain = nullptr;
    QPushButton *cmdOK = nullptr;

protected:
    // The splash cannot be closed by Esc or by the keyboard's close command;
    // only SplashOff takes it away.
    void reject() override;

private:
    void HideCaption();
    void RestoreCaption();
    // The owner's icon on imgIcon, or the program's own when it has none.
    void ShowIconOf(QWidget *form);
    // Puts the window over the owner (or in the middle of the screen) and
    // makes the owner its transient parent.
    void PlaceOver(QWidget *form);
    void OpenLink(const QUrl &target);

    int m_savedHeight = 0;
    bool m_captionHidden = false;
};
