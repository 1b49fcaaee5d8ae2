#include "printing/arpCliFor.h"

using platform::report::FormatContext;
using platform::report::ReportRecord;
using platform::report::ReportSection;

const DisegnoElenco arpCliFor::Disegno{QStringLiteral("Line5"), QStringLiteral("Line2"), 850};

arpCliFor::arpCliFor() : arpElenco(QString(), QStringLiteral("arpCliFor"), QString(), Disegno)
{
    AggiungiColonna(QStringLiteral("lblCliFor_Nome"), QStringLiteral("Nome"), QStringLiteral("txtCliFor_Nome"),
                    QStringLiteral("Nome"), 0, 2600);
    AggiungiColonna(QStringLiteral("lblCliFor_Localit"), QStringLiteral("Località"),
                    QStringLiteral("txtCliFor_Localit"), QStringLiteral("Località"), 2700, 1900);
    AggiungiCampo(QStringLiteral("Field1"), QStringLiteral("Prov"), 4650, 450);
    AggiungiColonna(QStringLiteral("lblCliFor_Telefono"), QStringLiteral("Telefono"),
                    QStringLiteral("txtCliFor_Telefono"), QStringLiteral("Telefono"), 5200, 1600);
    AggiungiColonna(QStringLiteral("lblCliFor_Cellulare"), QStringLiteral("Cellulare"),
                    QStringLiteral("txtCliFor_Cellulare"), QStringLiteral("Cellulare"), 6900, 1600);
    AggiungiColonna(QStringLiteral("lblCliFor_Fax"), QStringLiteral("Fax"), QStringLiteral("txtCliFor_Fax"),
                    QStringLiteral("Fax"), 8600, 1600);

    const double width = printWidth();
    // The letter over a rule; kept on the page of the group's first name.
    ReportSection &header = addGroup(QStringLiteral("ghOrderGroup"), QStringLiteral("GroupFooter1"));
    header.height = 480;
    header.keepTogether = true;
    header.addLabel(QStringLiteral("lblLetter"), QString(), 0, 120, 1500, 300).font = Carattere(12, true);
    header.addLine(QStringLiteral("Line4"), 0, 435, width, 435);
    ReportSection &footer = groupFooter(0);
    footer.height = 180;
    footer.addLine(QStringLiteral("Line3"), 0, 60, width, 60);

    setGroupKey(header.name, [](const ReportRecord &record) {
        return platform::Variant(Iniziale(record.value(QStringLiteral("Nome"))));
    });
    setFormatHandler(header.name, [](FormatContext &ctx) {
        ctx.section().control(QStringLiteral("lblLetter")).caption = ctx.groupValue().toString();
    });
}

QString arpCliFor::Iniziale(const platform::Variant &nome)
{
    const QString text = nome.isNull() || nome.isEmpty() ? QString() : nome.toString();
    if (text.isEmpty())
        return {};
    // A whole character, also beyond the basic plane.
    const int length = text.at(0).isHighSurrogate() && text.size() > 1 ? 2 : 1;
    return text.left(length).toUpper();
}

void arpCliFor::MostraRegole(bool mostra)
{
    for (const char *name : {"Line5", "Line2", "Line4", "Line3"})
        control(QString::fromLatin1(name)).visible = mostra;
}
