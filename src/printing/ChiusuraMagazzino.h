#pragma once

#include "platform/base/DateTime.h"
#include "platform/data/Recordset.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

// The year-end closing: carries each article's positive stock at the end
// of the year before the working year into one new opening movement of the
// working year, valued at the last or the average load cost. It refuses to
// run while any article's stock over that year is negative, and offers to
// preview those articles instead. The counter, the header and the lines are
// written in one transaction: a failure leaves nothing behind, and so does a
// closing that has no line to write.
class ChiusuraMagazzino
{
public:
    // The year being closed, the year before the working date's: its lines
    // are those dated from `dal` (1 January) up to, not including, `fine`
    // (1 January of the working year), so that a time of day on 31
    // December still counts.
    struct Periodo
    {
        platform::DateTime dal;
        platform::DateTime fine;
    };
    static Periodo PeriodoChiusura(const platform::DateTime &workDate);

    // The articles whose stock over the period is negative, with the
    // columns Codice, Descrizione, UM, ScortaMinima and Giacenza, detached
    // from the database.
    static std::unique_ptr<platform::Recordset> GiacenzeNegative(const Periodo &periodo);

    // What a closing wrote: nothing (idReg 0) when it found negative stock
    // or had no line to write.
    struct Esito
    {
        std::int32_t idReg = 0;
        std::int32_t progressivo = 0;
        int righe = 0;
        // Articles with positive stock at the year's end that got no line
        // because the chosen query has no cost for them, by code.
        QStringList senzaCosto;
        // The articles whose stock over the year had gone negative by the
        // time the closing wrote (another copy of the program saved
        // meanwhile), as GiacenzeNegative gives them; null when none had.
        std::unique_ptr<platform::Recordset> negative;
    };

    // Writes the opening movement dated `workDate`, numbered from the
    // counter of its year, with one line per article of positive stock over
    // the year before, at the cost `valorizzazione` chooses
    // (frmValorizzazione::CostoUltimo or CostoMedio). Everything in one
    // write transaction, which first checks the negative stock again: with
    // any, or without a single line to write, nothing is written and no
    // number is used. An error rolls it all back (the number included) and
    // reaches the caller.
    static Esito Scrivi(std::int32_t valorizzazione, const platform::DateTime &workDate);

    // The message of a closing that succeeded, naming up to
    // MaxCodiciElencati of the articles left without a line and counting
    // the others.
    static QString MessaggioSuccesso(const QStringList &senzaCosto);
    // The message of a closing that had no stock to carry into
    // `nuovoAnno`, naming the articles left without a line as above.
    static QString MessaggioNessunaGiacenza(int nuovoAnno, const QStringList &senzaCosto);
    static constexpr int MaxCodiciElencati = 20;

    // The command of the Tools menu: asks, checks the negative stock, asks
    // for the valuation, writes, and tells the user how it went; the main
    // window's list is reloaded after a closing. No error ends the program.
    static void Esegui(QWidget *parent);

    // What shows the articles of negative stock: by default the preview of
    // the below-minimum report. Tests put their own in its place; an empty
    // function restores the default. Answers the one it replaces.
    using FunzioneAnteprima = std::function<void(std::unique_ptr<platform::Recordset>, QWidget *)>;
    static FunzioneAnteprima ImpostaAnteprima(FunzioneAnteprima anteprima);

    // The closing's statements in the program's SQL dialect, for comparing
    // the engine alone: the negative stock (dal, fine), the lines (dal,
    // fine, the opening movement's IdReg), the articles left without a
    // cost and the taking away of their lines (that IdReg).
    static QString SqlGiacenzeNegative();
    static QString SqlRighe(std::int32_t valorizzazione);
    static QString SqlSenzaCosto();
    static QString SqlTogliSenzaCosto();

    static inline const QString MsgSuccesso = QStringLiteral("Chiusura di magazzino effettuata con successo.");
};
