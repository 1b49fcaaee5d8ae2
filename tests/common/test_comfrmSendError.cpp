// The error-report dialog: what it shows, the mail it prepares and how the
// mailto: link carries the error's texts to the mail program.
#include "common/comfrmSendError.h"

#include "ModalCall.h"
#include "common/comProgramInfo.h"
#include "platform/base/RuntimeError.h"
#include "platform/desktop/ScriptedDesktop.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrlQuery>

#include <gtest/gtest.h>

using platform::UrlCall;

namespace {

const QString Crlf = QStringLiteral("\r\n");

// A field of a mailto: link, decoded.
QString field(const QUrl &url, const QString &name)
{
    return QUrlQuery(url).queryItemValue(name, QUrl::FullyDecoded);
}

void openAndThen(const std::function<void(comfrmSendError *)> &action)
{
    testsupport::callModal<comfrmSendError>(
        [&] {
            comfrmSendError::Apri(QStringLiteral(" Errore"), QStringLiteral(" Errore"), -2147217900,
                                  QStringLiteral("Data non valida #1/2/03# & 5%"), QStringLiteral("cmdSalva_Click"),
                                  QStringLiteral("frm_io_MovMag_01"), QStringLiteral("Microsoft JET Database Engine"));
        },
        action);
}

} // namespace

TEST(SendErrorMail, TheBodyIsCutWholeAndTheLinkCarriesEveryCharacterAndCopiesOnlyWhenGiven)
{
    // Cut for the portable link; a character outside the basic plane is never split.
    const QString body = comfrmSendError::Body(QStringLiteral("1"), QString(5000, u'x'), {}, {}, {});
    EXPECT_TRUE(body.contains(QStringLiteral("Descrizione: ") + QString(2000, u'x') + Crlf));
    EXPECT_FALSE(body.contains(QString(2001, u'x')));
    const QString edge = QString(1999, u'y') + QString::fromUtf8("\xF0\x9F\x93\xA6") + QStringLiteral("zzz");
    EXPECT_TRUE(comfrmSendError::Body(QStringLiteral("1"), edge, {}, {}, {})
                    .contains(QStringLiteral("Descrizione: ") + QString(1999, u'y') + Crlf));

    // A Jet date error quotes "#...#"; "%", "&", "?", "=" and line breaks
    // must not be read as parts of the link.
    const QString text = QStringLiteral("Codice: -1\r\nErrore nella data #12/31/99# 100% a&b ?x=1\r\nriga più");
    const QString subject = QStringLiteral("_err_app Velmora 1.5.0");
    const QUrl url = comfrmSendError::MailToUrl(QStringLiteral("assistenza@korvane.it"), {}, {}, subject, text);
    ASSERT_TRUE(url.isValid()) << url.errorString().toStdString();
    EXPECT_FALSE(url.hasFragment());
    EXPECT_EQ(field(url, QStringLiteral("Subject")), subject);
    EXPECT_EQ(field(url, QStringLiteral("Body")), text);
    EXPECT_EQ(QUrlQuery(url).queryItems().size(), 2);
    const QByteArray encoded = url.toEncoded();
    EXPECT_TRUE(encoded.startsWith("mailto:assistenza@korvane.it?Subject=_err_app%20Velmora%201.5.0&Body=Codice%3A%20-1%0D%0A"))
        << encoded.constData();
    for (const char *piece : {"%2312%2F31%2F99%23", "100%25", "a%26b", "%3Fx%3D1", "%0D%0Ariga%20pi%C3%B9"})
        EXPECT_TRUE(encoded.contains(piece)) << piece << " not in " << encoded.constData();

    EXPECT_EQ(comfrmSendError::MailToUrl(QStringLiteral("a@b.it"), QStringLiteral("c@d.it"), QStringLiteral("e@f.it"),
                                         {}, QStringLiteral("x"))
                  .toEncoded(),
              QByteArray("mailto:a@b.it?CC=c%40d.it&BCC=e%40f.it&Body=x"));
    EXPECT_EQ(comfrmSendError::MailToUrl(QStringLiteral("a@b.it"), {}, {}, {}, {}).toEncoded(), QByteArray("mailto:a@b.it"));
}

TEST(SendErrorDialog, InviareOrEnterOpenTheMailNonInviareEscAndTheCloseBoxSendNothingDetailsShowWhenKnown)
{
    platform::ScopedScriptedDesktop desktop;
    openAndThen([](comfrmSendError *dialog) { QTest::mouseClick(dialog->cmdSend, Qt::LeftButton); });
    auto urls = desktop->callsOf<UrlCall>();
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0].url.path(), comProgramInfo::SupportMail);
    EXPECT_EQ(field(urls[0].url, QStringLiteral("Subject")), QStringLiteral("_err_app Velmora ") + comProgramInfo::VersionText());
    EXPECT_EQ(field(urls[0].url, QStringLiteral("Body")),
              QStringLiteral("Codice: -2147217900") + Crlf + QStringLiteral("Descrizione: Data non valida #1/2/03# & 5%")
                  + Crlf + QStringLiteral("Sorgente: Microsoft JET Database Engine") + Crlf
                  + QStringLiteral("Modulo: frm_io_MovMag_01") + Crlf + QStringLiteral("Routine: cmdSalva_Click"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    desktop->clear();
    openAndThen([](comfrmSendError *dialog) { QTest::mouseClick(dialog->cmdNoSend, Qt::LeftButton); });
    openAndThen([](comfrmSendError *dialog) { QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape); });
    openAndThen([](comfrmSendError *dialog) { dialog->close(); });
    EXPECT_TRUE(desktop->calls().empty());
    openAndThen([](comfrmSendError *dialog) { QTest::keyClick(dialog->focusWidget(), Qt::Key_Return); });
    EXPECT_EQ(desktop->callsOf<UrlCall>().size(), 1u);

    // A run-time error shows the engine's words in a row of details, and in the mail.
    platform::RuntimeError error(-2147467259, QStringLiteral("Il valore esiste già."), QStringLiteral("Velmora.Data"));
    error.setDetail(QStringLiteral("SQLite 2067: UNIQUE constraint failed: Articoli.Codice"));
    testsupport::callModal<comfrmSendError>(
        [&] {
            comfrmSendError::Apri(QStringLiteral(" Errore"), QStringLiteral(" Errore"), error,
                                  QStringLiteral("cmdSalva_Click"), QStringLiteral("frm_io_MovMag_01"));
        },
        [](comfrmSendError *dialog) {
            EXPECT_EQ(dialog->lblValue[1]->text(), QStringLiteral("Il valore esiste già."));
            EXPECT_TRUE(dialog->lblDettagli->isVisibleTo(dialog));
            EXPECT_TRUE(dialog->MailBody().endsWith(
                QStringLiteral("\r\nDettagli: SQLite 2067: UNIQUE constraint failed: Articoli.Codice")));
            // The buttons stay below the details.
            EXPECT_GT(dialog->cmdSend->y(), dialog->lblDettagli->geometry().bottom());
            dialog->cmdNoSend->click();
        });

    comfrmSendError plain;
    EXPECT_FALSE(plain.lblDettagli->isVisibleTo(&plain));
    EXPECT_FALSE(plain.MailBody().contains(QStringLiteral("Dettagli")));
}
