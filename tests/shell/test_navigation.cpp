// The navigation nodes and their sub-views (the menus they make are tested
// through the main window).
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
