// The navigation nodes, their sub-views and the New and View menu items.
#include "shell/NavigationModel.h"

#include "platform/base/RuntimeError.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace Navigazione;

TEST(Navigation, NodesGroupsAndSubViews)
{
    const Gruppi gruppi = CreaGruppi();
    EXPECT_EQ(gruppi[0].Caption, QStringLiteral("Gestione"));
    EXPECT_EQ(gruppi[1].Caption, QStringLiteral("Anagrafiche"));
    EXPECT_EQ(gruppi[2].Caption, QStringLiteral("Impostazioni"));

    Nodi nodi = CreaNodi();
    const char *codici[] = {"mag", "gia", "art", "cli", "for", "iva", "umi", "cat"};
    int perGruppo[3] = {0, 0, 0};
    for (int i = 0; i < NumeroNodi; ++i) {
        const cNodo &n = nodi[static_cast<std::size_t>(i)];
        EXPECT_EQ(n.Codice(), QString::fromLatin1(codici[i]));
        EXPECT_EQ(n.mnuGridEnable(), 123);
        ++perGruppo[n.GroupIndex()];
    }
    for (int g = 0; g < NumeroGruppi; ++g)
        EXPECT_EQ(perGruppo[g], gruppi[static_cast<std::size_t>(g)].Size) << g;

    EXPECT_EQ(nodi[6].Descrizione(), QStringLiteral("Unità di misura Articoli"));
    EXPECT_EQ(nodi[3].SQLString(), QStringLiteral("SELECT IdCliFor, Nome, Indirizzo, CAP, [Località], Prov, "
                                                  "Telefono, Cellulare, pIVA FROM ViewClienti"));
    EXPECT_TRUE(nodi[0].SQLString().isEmpty());

    // Sub-view FilterIdx 0 is Item(1).
    EXPECT_EQ(nodi[1].SubNodi().Count(), 4);
    EXPECT_EQ(nodi[1].SubNodi().Item(1).Descrizione(), QStringLiteral("Per codice articolo"));
    EXPECT_EQ(nodi[1].SubNodi().Item(4).Descrizione(), QStringLiteral("Per fornitore e categoria"));
    EXPECT_EQ(nodi[0].SubNodi().Item(2).Descrizione(), QStringLiteral("Movimenti odierni"));
    EXPECT_FALSE(nodi[2].HaSubNodi());
    EXPECT_EQ(nodi[2].SubNodi().Count(), 0); // made empty on first use
}

TEST(Navigation, NewMenuOffersAMovementOnce)
{
    const auto voci = VociMenuNuovo(CreaNodi());
    ASSERT_EQ(voci.size(), 39u);
    EXPECT_EQ(voci[0].Caption, QStringLiteral("Movimento di Magazzino\tCTRL+M"));
    EXPECT_TRUE(voci[0].Visible);
    EXPECT_EQ(voci[1].Tag, QStringLiteral("1"));
    EXPECT_FALSE(voci[1].Visible);
    EXPECT_EQ(voci[3].Caption, QStringLiteral("Articolo\tCTRL+A"));
    EXPECT_EQ(voci[8].Caption, QStringLiteral("Unità di misura Articolo"));
    EXPECT_EQ(voci[9].Caption, QStringLiteral("Categoria Articoli"));
    int movimenti = 0;
    for (const VoceMenu &v : voci)
        movimenti += v.Visible && v.Caption.startsWith(QStringLiteral("Movimento di Magazzino"));
    EXPECT_EQ(movimenti, 1);
}

TEST(Navigation, ViewMenuLayout)
{
    const auto voci = VociMenuVisualizza(CreaNodi());
    ASSERT_EQ(voci.size(), 39u);
    const int nodoDi[] = {0, 1, -1, 2, 3, 4, -1, 5, 6, 7};
    for (int i = 0; i < 10; ++i) {
        const VoceMenu &v = voci[static_cast<std::size_t>(i)];
        EXPECT_TRUE(v.Visible) << i;
        EXPECT_EQ(v.isSeparator(), nodoDi[i] < 0) << i;
        EXPECT_EQ(v.Tag, nodoDi[i] < 0 ? QString() : QString::number(nodoDi[i])) << i;
    }
    for (std::size_t i = 10; i < voci.size(); ++i)
        EXPECT_FALSE(voci[i].Visible) << i;
    EXPECT_EQ(voci[0].Caption, QStringLiteral("Movimenti di Magazzino\tCTRL+MAIUSC+M"));
    EXPECT_EQ(voci[1].Caption, QStringLiteral("Giacenze\tCTRL+MAIUSC+G"));
    EXPECT_EQ(voci[7].Caption, QStringLiteral("Codici Iva\tCTRL+MAIUSC+I"));
    EXPECT_EQ(voci[8].Caption, QStringLiteral("Unità di misura Articoli"));
    EXPECT_EQ(voci[9].Caption, QStringLiteral("Categorie Articoli"));
}

TEST(Navigation, SubViewCollectionIndexesFromOneAndByKey)
{
    cSubNodi c;
    cSubNodo &a = c.Add(QStringLiteral("ka"), QStringLiteral("A"), QStringLiteral("SELECT 1"));
    EXPECT_EQ(a.Chiave(), QStringLiteral("ka"));
    EXPECT_EQ(a.SQLString(), QStringLiteral("SELECT 1"));
    c.Add({}, QStringLiteral("B"), {}, QStringLiteral("b"));
    c.Add({}, QStringLiteral("C"), {}, QStringLiteral("c"));
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(&c.Item(1), &a);
    EXPECT_EQ(c.Item(QStringLiteral("B")).Descrizione(), QStringLiteral("B")); // keys ignore case

    EXPECT_THROW(c.Item(0), platform::RuntimeError);
    EXPECT_THROW(c.Item(4), platform::RuntimeError);
    EXPECT_THROW(c.Item(QStringLiteral("x")), platform::RuntimeError);
    EXPECT_THROW(c.Item(QString()), platform::RuntimeError); // an empty key names nothing
    try {
        c.Add({}, QStringLiteral("D"), {}, QStringLiteral("C"));
        ADD_FAILURE() << "a key used twice was accepted";
    } catch (const platform::RuntimeError &e) {
        EXPECT_EQ(e.number(), 457);
    }
    EXPECT_EQ(c.Count(), 3);

    c.Remove(QStringLiteral("b"));
    c.Remove(1);
    ASSERT_EQ(c.Count(), 1);
    EXPECT_EQ(c.Item(1).Descrizione(), QStringLiteral("C"));
    EXPECT_THROW(c.Remove(2), platform::RuntimeError);

    QStringList walked;
    c.Add({}, QStringLiteral("E"), {});
    for (const cSubNodo &s : c)
        walked << s.Descrizione();
    EXPECT_EQ(walked, (QStringList{QStringLiteral("C"), QStringLiteral("E")}));
}
