#include "shell/NavigationModel.h"

namespace Navigazione {

Gruppi CreaGruppi()
{
    return Gruppi{{
        {QStringLiteral("Gestione"), 2},
        {QStringLiteral("Anagrafiche"), 3},
        {QStringLiteral("Impostazioni"), 3},
    }};
}

Nodi CreaNodi()
{
    Nodi n;
    n[0].Setta(0, QStringLiteral("mag"), QStringLiteral("Movimenti di Magazzino"),
               QStringLiteral("Movimento di Magazzino"), 4, QString(), QStringLiteral("M"));
    n[1].Setta(0, QStringLiteral("gia"), QStringLiteral("Giacenze"),
               QStringLiteral("Movimento di Magazzino"), 4, QString(), QStringLiteral("G"));
    n[2].Setta(1, QStringLiteral("art"), QStringLiteral("Articoli"), QStringLiteral("Articolo"), 2,
               QStringLiteral("SELECT Codice, Descrizione, UM, Ubicazione, Categoria, Nome AS Fornitore, "
                              "Costo, PrezzoIvato FROM ViewArticoli"),
               QStringLiteral("A"));
    n[3].Setta(1, QStringLiteral("cli"), QStringLiteral("Clienti"), QStringLiteral("Cliente"), 3,
               QStringLiteral("SELECT IdCliFor, Nome, Indirizzo, CAP, [Località], Prov, Telefono, "
                              "Cellulare, pIVA FROM ViewClienti"),
               QStringLiteral("C"));
    n[4].Setta(1, QStringLiteral("for"), QStringLiteral("Fornitori"), QStringLiteral("Fornitore"), 3,
               QStringLiteral("SELECT IdCliFor, Nome, Indirizzo, CAP, [Località], Prov, Telefono, "
                              "Cellulare, pIVA FROM ViewFornitori"),
               QStringLiteral("F"));
    n[5].Setta(2, QStringLiteral("iva"), QStringLiteral("Codici Iva"), QStringLiteral("Codice Iva"), 1,
               QStringLiteral("SELECT CodiceIVA, Descrizione FROM CodiciIVA"), QStringLiteral("I"));
    n[6].Setta(2, QStringLiteral("umi"), QStringLiteral("Unità di misura Articoli"),
               QStringLiteral("Unità di misura Articolo"), 1,
               QStringLiteral("SELECT Id, Codice, Descrizione FROM Liste WHERE Chiave='um'"), QString());
    n[7].Setta(2, QStringLiteral("cat"), QStringLiteral("Categorie Articoli"),
               QStringLiteral("Categoria Articoli"), 1,
               QStringLiteral("SELECT Id, Descrizione FROM Liste WHERE Chiave='cat'"), QString());

    cSubNodi &mag = n[0].SubNodi();
    mag.Add(QString(), QStringLiteral("Tutti i movimenti (anno corrente)"), QString());
    mag.Add(QString(), QStringLiteral("Movimenti odierni"), QString());

    cSubNodi &gia = n[1].SubNodi();
    gia.Add(QString(), QStringLiteral("Per codice articolo"), QString());
    gia.Add(QString(), QStringLiteral("Per fornitore"), QString());
    gia.Add(QString(), QStringLiteral("Per categoria"), QString());
    gia.Add(QString(), QStringLiteral("Per fornitore e categoria"), QString());
    return n;
}

namespace {

// Fills items 0 .. 38 group by group; caption gives a node's caption and
// shortcutPrefix goes before its shortcut letter.
std::vector<VoceMenu> vociMenu(const Nodi &nodi, const QString &(cNodo::*caption)() const,
                               const QString &shortcutPrefix)
{
    std::vector<VoceMenu> voci(UltimaVoceMenu + 1);
    std::size_t next = 0;
    for (int g = 0; g < NumeroGruppi && next < voci.size(); ++g) {
        for (int i = 0; i < NumeroNodi && next < voci.size(); ++i) {
            const cNodo &nodo = nodi[static_cast<std::size_t>(i)];
            if (nodo.GroupIndex() != g)
                continue;
            VoceMenu &voce = voci[next++];
            voce.Caption = (nodo.*caption)();
            if (!nodo.mnuViewShorCut().isEmpty())
                voce.Caption += QLatin1Char('\t') + shortcutPrefix + nodo.mnuViewShorCut();
            voce.Tag = QString::number(i);
            voce.Visible = true;
        }
        if (next < voci.size()) {
            VoceMenu &sep = voci[next++];
            sep.Caption = QStringLiteral("-");
            sep.Visible = true;
        }
    }
    // The separator after the last group closes nothing: hide it with the rest.
    if (next > 0 && voci[next - 1].isSeparator())
        voci[next - 1].Visible = false;
    return voci;
}

} // namespace

std::vector<VoceMenu> VociMenuNuovo(const Nodi &nodi)
{
    std::vector<VoceMenu> voci = vociMenu(nodi, &cNodo::DescrizioneNew, QStringLiteral("CTRL+"));
    voci[1].Visible = false;
    return voci;
}

std::vector<VoceMenu> VociMenuVisualizza(const Nodi &nodi)
{
    return vociMenu(nodi, &cNodo::Descrizione, QStringLiteral("CTRL+MAIUSC+"));
}

} // namespace Navigazione
