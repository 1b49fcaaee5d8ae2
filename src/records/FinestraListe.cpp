#include "records/FinestraListe.h"

#include "platform/data/DatabaseError.h"
#include "platform/data/Recordset.h"
#include "shell/MainModule.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using platform::Variant;

FinestraListe::FinestraListe(const Tipo &tipo, QWidget *parent)
    : FinestraRecord({QStringLiteral("Liste"), QStringLiteral("Id"), tipo.colonna}, tipo.titolo, parent)
    , m_Tipo(tipo)
{
    setObjectName(tipo.nome);
    auto *form = new QFormLayout;
    QStringList captions{QStringLiteral("Descrizione:")};
    QStringList fields{QStringLiteral("Descrizione")};
    if (tipo.conCodice) {
        captions.prepend(QStringLiteral("Codice:"));
        fields.prepend(QStringLiteral("Codice"));
    }
    for (int i = 0; i < fields.size(); ++i) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("txtData%1").arg(i));
        auto *label = new QLabel(captions[i], this);
        label->setBuddy(edit);
        form->addRow(label, edit);
        Collega(edit, fields[i]);
        txtData.push_back(edit);
        lblData.push_back(label);
    }
    // The first box holds what articles store: it cannot stay empty.
    Obbligatorio(txtData[0]);
    if (tipo.conCodice)
        ComeCodice(txtData[0]);
    chkData[0] = new QCheckBox(QStringLiteral("Predefinito"), this);
    chkData[0]->setObjectName(QStringLiteral("chkData0"));
    form->addRow(QString(), chkData[0]);
    Collega(chkData[0], QStringLiteral("Predefinito"));
    Contenuto()->addLayout(form);
    txtData[0]->setMinimumWidth(fontMetrics().averageCharWidth() * 40);

    // A unit: code, description, the mark, then the buttons; a category:
    // its description, the buttons, then the mark.
    QList<QWidget *> order(txtData.begin(), txtData.end());
    if (tipo.conCodice)
        order << chkData[0] << cmdSalva() << cmdAnnulla();
    else
        order << cmdSalva() << cmdAnnulla() << chkData[0];
    OrdineTab(order);
}

Variant FinestraListe::Nuovo(int modal)
{
    return ApriNuovo(modal);
}

Variant FinestraListe::Apri(std::int32_t id, int modal)
{
    return ApriEsistente(id, modal);
}

void FinestraListe::ValoriNuovo(platform::Recordset &record)
{
    record.setValue(QStringLiteral("Chiave"), m_Tipo.chiave);
    record.setValue(QStringLiteral("Predefinito"), false);
}

void FinestraListe::Imposta()
{
    // A unit's code is what articles store: it cannot change once saved.
    if (m_Tipo.conCodice)
        txtData[0]->setEnabled(Modo() == ModoNuovo);
}

bool FinestraListe::InvioAvanza(const QWidget *control) const
{
    return control == chkData[0] || FinestraRecord::InvioAvanza(control);
}

void FinestraListe::SalvaAltro(platform::Connection &connection)
{
    // Articles store a unit by its code: two units of one code could not
    // be told apart.
    if (m_Tipo.conCodice) {
        const auto rs = connection.executeQuery(
            QStringLiteral("SELECT COUNT(*) FROM Liste WHERE Chiave=? AND Codice=? AND Id<>?"),
            {m_Tipo.chiave, Valore(QStringLiteral("Codice")), Valore(QStringLiteral("Id"))});
        if (rs->valueAt(0, 0).toInt32() > 0) {
            using platform::DatabaseError;
            throw DatabaseError(DatabaseError::Kind::DuplicateKey, DatabaseError::EngineErrorNumber,
                                DatabaseError::describe(DatabaseError::Kind::DuplicateKey));
        }
    }
    if (!chkData[0]->isChecked())
        return;
    connection.execute(QStringLiteral("UPDATE Liste SET Liste.Predefinito = False WHERE Liste.Id<>? AND Chiave=?"),
                       {Valore(QStringLiteral("Id")), m_Tipo.chiave});
}

void FinestraListe::DopoSalvataggio()
{
    if (chkData[0]->isChecked())
        *m_Tipo.predefinito = txtData[0]->text();
}

frm_io_UM::frm_io_UM(QWidget *parent)
    : FinestraListe({QStringLiteral("frm_io_UM"), QStringLiteral("Unità di Misura"), QStringLiteral("um"),
                     QStringLiteral("Codice"), true, &MainModule::DefaultUM},
                    parent)
{
}

frm_io_Cat::frm_io_Cat(QWidget *parent)
    : FinestraListe({QStringLiteral("frm_io_Cat"), QStringLiteral("Categorie Articoli"), QStringLiteral("cat"),
                     QStringLiteral("Descrizione"), false, &MainModule::DefaultCategoria},
                    parent)
{
}
