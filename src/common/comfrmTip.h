#pragma once

#include "common/comTipList.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;

// The tip-of-the-day window: shows a tip drawn at random from the tips file
// of the program folder, offers another one and carries the switch that
// turns the tips at start-up off (the registry value "regLoadTipsAtStartup"
// under the settings key, which the options dialog shows too).
class comfrmTip : public QDialog
{
    Q_OBJECT

public:
    // The tips file in the program folder and the registry switch.
    static inline const QString TipsFileName = QStringLiteral("TIPOFDAY.TXT");
    static inline const QString SwitchName = QStringLiteral("regLoadTipsAtStartup");

    // Loads the window: ticks the switch (which writes 1 to the registry)
    // and reads the tips file of `programFolder` (the executable's folder
    // when empty), showing a first tip or, without a file, NotFoundText().
    // `settingsKey` is the registry key path of the program's settings.
    explicit comfrmTip(const QString &settingsKey, const QString &programFolder = QString(),
                       QWidget *parent = nullptr);
    ~comfrmTip() override;

    // Shows the window modally, without an owner, unless the switch under
    // `settingsKey` is 0; returns when it is closed. Each call reads the
    // tips file again.
    static void ShowTip(const QString &settingsKey, const QString &programFolder = QString());

    // Reads the tips file and shows a random tip; false when the name is
    // empty or there is no such file.
    bool LoadTips(const QString &fileName);
    // Shows the current tip when there is at least one.
    void DisplayCurrentTip();

    // "File TIPOFDAY.TXT non trovato."
    static QString NotFoundText();

    const comTipList &Tips() const { return m_tips; }

    QLabel *imgTip = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lblTipText = nullptr;
    QCheckBox *chkLoadTipsAtStartup = nullptr;
    QPushButton *cmdNextTip = nullptr;
    QPushButton *cmdOK = nullptr;

private:
    void PickRandomTip();
    // Writes the switch (0 or 1) at once; a refused write is not reported.
    void chkLoadTipsAtStartup_Toggled(bool checked);

    QString m_settingsKey;
    comTipList m_tips;
};
