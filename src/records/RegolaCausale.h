#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// What a movement's causale decides for the whole movement: the sign its
// quantities count with towards stock, whether they are stored negative
// (the two returns), the kind of counterpart it names and whether a new
// one offers to print labels.
struct RegolaCausale
{
    // The causali in the order of the movement window's list.
    static inline const QStringList Causali{
        QStringLiteral("Acquisto"),        QStringLiteral("Carico"), QStringLiteral("Reso a Fornitore"),
        QStringLiteral("Reso da Cliente"), QStringLiteral("Scarico"), QStringLiteral("Vendita")};
    static inline const QString Fornitore = QStringLiteral("Fornitore");
    static inline const QString Cliente = QStringLiteral("Cliente");
    static inline const QString Deposito = QStringLiteral("Deposito");

    QString causale;
    bool reso = false;
    std::int16_t segno = -1;
    // "Fornitore", "Cliente" or "Deposito".
    QString contropartita = Deposito;

    // The rule of a causale; any text other than the six counts as an
    // unload without counterpart.
    static RegolaCausale Di(const QString &causale);

    // A new purchase or load may offer to print the labels of its articles.
    bool OffreEtichette() const;
    // The line column the movement shows and totals: Costo for +1, Prezzo
    // for -1.
    QString ColonnaValore() const;
};
