#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QUrl>

#include <array>
#include <cstdint>

namespace platform {
class RuntimeError;
}

class QLabel;
class QPushButton;

// The dialog that shows an unexpected run-time error (number, description,
// source, module, procedure) and offers to send those details to the
// maker's support mailbox: "Inviare" prepares the mail in the user's mail
// program, "Non inviare" just closes. Nothing is sent by the program itself.
class comfrmSendError : public QDialog
{
    Q_OBJECT

public:
    // The description goes into the mail cut to this many characters, so
    // that the mailto: link stays short enough for every mail program.
    static constexpr int MaxDescriptionLength = 2000;

    explicit comfrmSendError(QWidget *parent = nullptr);
    ~comfrmSendError() override;

    // Shows the error on a freshly made dialog, modally and without an owner
    // window; returns when the dialog has been closed.
    static void Apri(const QString &Caption, const QString &Title, std::int32_t Number,
                     const QString &Description, const QString &Routine, const QString &Module,
                     const QString &Source);

    // The same for a run-time error: its number, description and source,
    // and, below the five rows, what the failing component said in its own
    // words (the database engine's message and code) when it said anything.
    static void Apri(const QString &Caption, const QString &Title, const platform::RuntimeError &error,
                     const QString &Routine, const QString &Module);

    // Fills the caption, the heading and the five values (what Apri does
    // before it shows the dialog).
    void Carica(const QString &Caption, const QString &Title, std::int32_t Number,
                const QString &Description, const QString &Routine, const QString &Module,
                const QString &Source);

    // Shows the failing component's own words in a sixth row, "Dettagli:",
    // which stays hidden while they are empty.
    void CaricaDettagli(const QString &details);

    // The mail of the error shown: its subject and its five-line body,
    // taken from the value labels, with a sixth line for the details when
    // there are any.
    QString MailSubject() const;
    QString MailBody() const;

    // "_err_app " + the application title + " " + the version.
    static QString Subject(const QString &applicationTitle, const QString &version);
    // The five lines "Codice: ", "Descrizione: ", "Sorgente: ", "Modulo: ",
    // "Routine: " with their values, joined by CR LF; the description is
    // cut to MaxDescriptionLength characters.
    static QString Body(const QString &number, const QString &description, const QString &source,
                        const QString &module, const QString &routine);
    // Percent-encodes a text for a mailto: link (UTF-8; everything but
    // letters, digits and "-._~" is encoded, so "#", "%", "&", "?", "=" and
    // line breaks reach the mail program as written).
    static QByteArray EncodeUrl(const QString &text);
    // The mailto: link with its header fields; empty fields are left out.
    static QUrl MailToUrl(const QString &To, const QString &CC, const QString &BCC, const QString &Subject,
                          const QString &Body);

    QLabel *lblTitle = nullptr;
    // The captions of the five rows and the values beside them, in the
    // order Codice, Descrizione, Sorgente, Modulo, Routine.
    std::array<QLabel *, 5> Label1{};
    std::array<QLabel *, 5> lblValue{};
    QLabel *lblDettagliCaption = nullptr;
    QLabel *lblDettagli = nullptr;
    QPushButton *cmdSend = nullptr;
    QPushButton *cmdNoSend = nullptr;

private:
    // Opens the user's mail program with the message prepared.
    void OpenMailTo(const QString &To, const QString &CC, const QString &BCC, const QString &Subject,
                    const QString &Body);
    void cmdSend_Click();
    void cmdNoSend_Click();
};
