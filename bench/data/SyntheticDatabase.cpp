#include "SyntheticDatabase.h"

#include "Stopwatch.h"

#include "platform/base/Currency.h"
#include "platform/base/DateTime.h"
#include "platform/base/RuntimeError.h"
#include "platform/base/Variant.h"
#include "platform/data/Connection.h"
#include "platform/data/JetTemplateQueries.h"
#include "platform/data/Session.h"
#include "platform/data/SqlLexer.h"
#include "platform/data/ValueConversion.h"

#include <QDate>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

using platform::Currency;
using platform::DateTime;
using platform::Variant;

namespace {

// Collects rows for one table and writes them through the layer's own
// session: the INSERT is prepared once and run again for every row, each
// value converted as the layer stores a parameter into that column, so a
// million lines take seconds instead of a translation and a preparation
// per statement.
class TableWriter
{
public:
    TableWriter(platform::Connection &connection, const QString &table, const QStringList &columns)
        : m_statement(prepare(connection.openSession(), table, columns))
    {
        platform::sqlite::Session &session = connection.openSession();
        for (const QString &c : columns)
            m_types.push_back(platform::ColumnType::fromDeclaredType(session.columnType(table, c)));
    }
    TableWriter(const TableWriter &) = delete;
    TableWriter &operator=(const TableWriter &) = delete;
    ~TableWriter() = default;

    void add(std::initializer_list<Variant> values)
    {
        Q_ASSERT(values.size() == m_types.size());
        m_statement.reset();
        int index = 0;
        for (const Variant &v : values) {
            m_statement.bind(index + 1, platform::sqlite::ValueConversion::toStored(v, m_types[static_cast<size_t>(index)]));
            ++index;
        }
        m_statement.step();
        ++m_written;
    }

    long long written() const { return m_written; }

private:
    static platform::sqlite::Statement prepare(platform::sqlite::Session &session, const QString &table,
                                               const QStringList &columns)
    {
        QStringList names;
        QStringList marks;
        for (const QString &c : columns) {
            names.append(platform::sqlite::SqlLexer::quoteName(c));
            marks.append(QStringLiteral("?"));
        }
        return session.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(platform::sqlite::SqlLexer::quoteName(table), names.join(u", "),
                                        marks.join(u", ")));
    }

    platform::sqlite::Statement m_statement;
    std::vector<platform::ColumnType> m_types;
    long long m_written = 0;
};

// One article as the movements need it.
struct Article {
    QString code;
    QString um;
    double cost = 0;        // in the last year
    double priceVat = 0;    // in the last year
    int supplier = 0;       // IdCliFor
};

// One causale with its sign, return flag and counterpart kind, and how
// often it occurs (per thousand movements).
struct Causale {
    const char *name;
    int sign;
    bool isReturn;
    const char *counterpartKind;
    int perThousand;
};

constexpr std::array<Causale, 6> Causali{{
    {"Acquisto", 1, false, "Fornitore", 240},
    {"Vendita", -1, false, "Cliente", 500},
    {"Carico", 1, false, "Deposito", 70},
    {"Scarico", -1, false, "Deposito", 90},
    {"Reso a Fornitore", 1, true, "Fornitore", 40},
    {"Reso da Cliente", -1, true, "Cliente", 60},
}};

struct Town {
    const char *name;
    const char *province;
    const char *cap;
};

constexpr std::array<Town, 16> Towns{{
    {"Roma", "RM", "00184"},        {"Milano", "MI", "20121"},     {"Torino", "TO", "10121"},
    {"Napoli", "NA", "80133"},      {"Bologna", "BO", "40121"},    {"Firenze", "FI", "50122"},
    {"Genova", "GE", "16121"},      {"Verona", "VR", "37121"},     {"Padova", "PD", "35122"},
    {"Bari", "BA", "70121"},        {"Bergamo", "BG", "24121"},    {"Forlì", "FC", "47121"},
    {"Cantù", "CO", "22063"},       {"Aosta", "AO", "11100"},      {"L'Aquila", "AQ", "67100"},
    {"Cagliari", "CA", "09124"},
}};

constexpr std::array<const char *, 16> Categories{
    "Ferramenta",   "Elettricità",   "Idraulica",   "Vernici",    "Utensili",     "Giardinaggio",
    "Colle e sigillanti", "Minuteria", "Sicurezza", "Illuminazione", "Casalinghi", "Edilizia",
    "Legno",        "Auto e moto",   "Pulizia",     "Articoli per l'ufficio"};

constexpr std::array<const char *, 16> CategoryPrefixes{"FER", "ELE", "IDR", "VER", "UTE", "GIA", "COL", "MIN",
                                                       "SIC", "ILL", "CAS", "EDI", "LEG", "AUT", "PUL", "UFF"};

constexpr std::array<const char *, 24> Nouns{
    "Vite", "Bullone", "Tassello", "Cavo", "Interruttore", "Presa", "Rubinetto", "Raccordo",
    "Smalto", "Pennello", "Cacciavite", "Martello", "Tubo", "Guanto", "Lampada", "Nastro",
    "Silicone", "Colla", "Sacco", "Chiave", "Cerniera", "Staffa", "Spugna", "Filtro"};

constexpr std::array<const char *, 16> Qualifiers{
    "zincato", "inox", "in ottone", "rinforzato", "professionale", "per esterni", "antiscivolo", "a basso consumo",
    "universale", "bianco", "nero", "trasparente", "extra forte", "ricaricabile", "da 10 m", "in confezione"};

constexpr std::array<const char *, 20> Surnames{
    "Rossi", "Russo", "Ferrari", "Esposito", "Bianchi", "Romano", "Colombo", "Ricci", "Marino", "Greco",
    "Bruno", "Gallo", "Conti", "De Luca", "Mancini", "Costa", "Giordano", "Rizzo", "Lombardi", "D'Angelo"};

constexpr std::array<const char *, 10> Trades{
    "Costruzioni", "Impianti", "Forniture", "Edilizia", "Elettroforniture", "Termoidraulica",
    "Serramenti", "Commercio", "Distribuzione", "Materiali"};

constexpr std::array<const char *, 4> CompanyForms{"S.r.l.", "S.p.A.", "S.n.c.", "& C. S.a.s."};

constexpr std::array<const char *, 8> Streets{
    "Via Roma", "Via Garibaldi", "Corso Italia", "Via Mazzini", "Viale Europa", "Via Dante", "Piazza Cavour",
    "Via dell'Industria"};

// Dice of the generator: a seeded engine and the draws the data needs.
class Dice
{
public:
    explicit Dice(std::uint64_t seed) : m_engine(seed) {}

    int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_engine); }
    double real(double low, double high) { return std::uniform_real_distribution<double>(low, high)(m_engine); }
    bool chance(double p) { return real(0, 1) < p; }
    template <typename T, size_t N>
    const T &pick(const std::array<T, N> &values)
    {
        return values[static_cast<size_t>(uniform(0, static_cast<int>(N) - 1))];
    }
    // An index below n; low indexes come more often (a few articles sell a lot).
    int skewed(int n)
    {
        const double u = real(0, 1);
        return std::min(n - 1, static_cast<int>(std::pow(u, 1.6) * n));
    }
    QString digits(int count)
    {
        QString s;
        s.reserve(count);
        for (int i = 0; i < count; ++i)
            s.append(QChar(u'0' + uniform(0, 9)));
        return s;
    }
    std::mt19937_64 &engine() { return m_engine; }

private:
    std::mt19937_64 m_engine;
};

double round2(double v)
{
    return std::round(v * 100.0) / 100.0;
}

double round4(double v)
{
    return std::round(v * 10000.0) / 10000.0;
}

void writeReferenceTables(platform::Connection &c)
{
    c.beginTrans();
    {
        TableWriter iva(c, QStringLiteral("CodiciIVA"),
                        {QStringLiteral("CodiceIVA"), QStringLiteral("Descrizione"), QStringLiteral("Aliquota"),
                         QStringLiteral("Esenzione"), QStringLiteral("Predefinito")});
        iva.add({Variant("22"), Variant("Aliquota ordinaria 22%"), Variant(22.0), Variant(false), Variant(true)});
        iva.add({Variant("10"), Variant("Aliquota ridotta 10%"), Variant(10.0), Variant(false), Variant(false)});
        iva.add({Variant("4"), Variant("Aliquota minima 4%"), Variant(4.0), Variant(false), Variant(false)});
        iva.add({Variant("E10"), Variant("Esente art. 10"), Variant(0.0), Variant(true), Variant(false)});

        TableWriter lists(c, QStringLiteral("Liste"),
                          {QStringLiteral("Chiave"), QStringLiteral("Codice"), QStringLiteral("Descrizione"),
                           QStringLiteral("Predefinito")});
        const std::array<std::pair<const char *, const char *>, 5> units{
            {{"PZ", "Pezzi"}, {"KG", "Chilogrammi"}, {"MT", "Metri"}, {"LT", "Litri"}, {"CF", "Confezioni"}}};
        for (size_t i = 0; i < units.size(); ++i)
            lists.add({Variant("um"), Variant(units[i].first), Variant(units[i].second), Variant(i == 0)});
        for (size_t i = 0; i < Categories.size(); ++i)
            lists.add({Variant("cat"), Variant::null(), Variant(Categories[i]), Variant(i == 0)});

        TableWriter pars(c, QStringLiteral("_Pars"), {QStringLiteral("k01"), QStringLiteral("l01")});
        pars.add({Variant("NumDecQ"), Variant(std::int32_t(2))});
        pars.add({Variant("NumDecV"), Variant(std::int32_t(2))});
    }
    c.commitTrans();
}

// Suppliers get IdCliFor 1..suppliers, customers the numbers after them.
void writeCounterparts(platform::Connection &c, Dice &dice, const SyntheticOptions &o)
{
    c.beginTrans();
    TableWriter w(c, QStringLiteral("CliFor"),
                  {QStringLiteral("IdCliFor"), QStringLiteral("Tipo"), QStringLiteral("Nome"),
                   QStringLiteral("Indirizzo"), QStringLiteral("CAP"), QStringLiteral("Località"),
                   QStringLiteral("Prov"), QStringLiteral("PIVA"), QStringLiteral("Telefono"),
                   QStringLiteral("Cellulare"), QStringLiteral("Email")});
    const int total = o.suppliers + o.customers;
    for (int id = 1; id <= total; ++id) {
        const bool supplier = id <= o.suppliers;
        const QString surname = QString::fromUtf8(dice.pick(Surnames));
        QString name;
        if (supplier || dice.chance(0.6)) {
            name = surname + u' ' + QString::fromUtf8(dice.pick(Trades)) + u' '
                + QString::fromUtf8(dice.pick(CompanyForms));
        } else {
            static constexpr std::array<const char *, 10> firstNames{
                "Marco", "Giulia", "Luca", "Francesca", "Andrea", "Chiara", "Paolo", "Sara", "Nicolò", "Elena"};
            name = surname + u' ' + QString::fromUtf8(dice.pick(firstNames));
        }
        name += QStringLiteral(" %1").arg(id); // names stay distinct, as a real register's are
        const Town &town = dice.pick(Towns);
        const QString mailName = surname.toLower().remove(u' ').remove(u'\'');
        w.add({Variant(std::int32_t(id)), Variant(supplier ? "Fornitore" : "Cliente"), Variant(name),
               Variant(QString::fromUtf8(dice.pick(Streets)) + QStringLiteral(" %1").arg(dice.uniform(1, 180))),
               Variant(town.cap), Variant(town.name), Variant(town.province), Variant(dice.digits(11)),
               Variant(QStringLiteral("0") + dice.digits(9)),
               dice.chance(0.7) ? Variant(QStringLiteral("3") + dice.digits(9)) : Variant::null(),
               Variant(QStringLiteral("info%1@%2.it").arg(id).arg(mailName))});
    }
    c.commitTrans();
}

std::vector<Article> writeArticles(platform::Connection &c, Dice &dice, const SyntheticOptions &o, int firstYear)
{
    std::vector<Article> articles;
    articles.reserve(static_cast<size_t>(o.articles));
    c.beginTrans();
    TableWriter w(c, QStringLiteral("Articoli"),
                  {QStringLiteral("Codice"), QStringLiteral("Descrizione"), QStringLiteral("UM"),
                   QStringLiteral("Categoria"), QStringLiteral("IdFornitore"), QStringLiteral("CodiceArtFor"),
                   QStringLiteral("CodiceIVA"), QStringLiteral("Costo"), QStringLiteral("Ricarico"),
                   QStringLiteral("Prezzo"), QStringLiteral("Aliquota"), QStringLiteral("PrezzoIvato"),
                   QStringLiteral("ScortaMinima"), QStringLiteral("Ubicazione"), QStringLiteral("Note"),
                   QStringLiteral("DataIns")});
    const QDate first(firstYear, 1, 1);
    const int span = static_cast<int>(first.daysTo(QDate(o.effectiveLastYear(), 12, 31)));
    for (int i = 0; i < o.articles; ++i) {
        const int category = dice.uniform(0, static_cast<int>(Categories.size()) - 1);
        Article a;
        a.code = QStringLiteral("%1-%2").arg(QString::fromUtf8(CategoryPrefixes[static_cast<size_t>(category)]))
                     .arg(i + 1, 6, 10, QChar(u'0'));
        const int umDraw = dice.uniform(1, 100);
        a.um = umDraw <= 70 ? QStringLiteral("PZ")
            : umDraw <= 80  ? QStringLiteral("KG")
            : umDraw <= 90  ? QStringLiteral("MT")
            : umDraw <= 95  ? QStringLiteral("LT")
                            : QStringLiteral("CF");
        a.supplier = dice.uniform(1, o.suppliers);
        a.cost = round2(std::exp(dice.real(std::log(0.05), std::log(400.0))));
        const double markup = static_cast<double>(dice.uniform(20, 80));
        const int ivaDraw = dice.uniform(1, 100);
        const char *iva = ivaDraw <= 85 ? "22" : ivaDraw <= 95 ? "10" : "4";
        const double rate = ivaDraw <= 85 ? 22.0 : ivaDraw <= 95 ? 10.0 : 4.0;
        const double price = round2(a.cost * (1 + markup / 100));
        a.priceVat = round2(price * (1 + rate / 100));
        const QString description = QString::fromUtf8(dice.pick(Nouns)) + u' ' + QString::fromUtf8(dice.pick(Qualifiers))
            + QStringLiteral(" %1x%2").arg(dice.uniform(2, 20)).arg(dice.uniform(10, 200));
        const int minimum = dice.chance(0.6) ? 0 : 5 * dice.uniform(1, 10);
        w.add({Variant(a.code), Variant(description), Variant(a.um),
               Variant(QString::fromUtf8(Categories[static_cast<size_t>(category)])),
               Variant(std::int32_t(a.supplier)), Variant(QStringLiteral("XK") + dice.digits(7)), Variant(iva),
               Variant(a.cost), Variant(markup), Variant(price), Variant(rate), Variant(a.priceVat),
               Variant(static_cast<double>(minimum)),
               dice.chance(0.7) ? Variant(QStringLiteral("S%1-R%2").arg(dice.uniform(1, 20), 2, 10, QChar(u'0'))
                                              .arg(dice.uniform(1, 12), 2, 10, QChar(u'0')))
                                : Variant::null(),
               dice.chance(0.05) ? Variant(QStringLiteral("Ordinare a multipli di 10.")) : Variant::null(),
               Variant(DateTime(first.addDays(dice.uniform(0, span))))});
        articles.push_back(std::move(a));
    }
    c.commitTrans();
    return articles;
}

// Working days of a year (Monday to Saturday), in order.
std::vector<QDate> workingDays(int year)
{
    std::vector<QDate> days;
    for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1)) {
        if (d.dayOfWeek() != Qt::Sunday)
            days.push_back(d);
    }
    return days;
}

} // namespace

SyntheticOptions SyntheticOptions::quick()
{
    SyntheticOptions o;
    o.articles = 2000;
    o.customers = 100;
    o.suppliers = 40;
    o.movementsPerYear = 2000;
    o.linesPerMovement = 5;
    o.years = 3;
    return o;
}

int SyntheticOptions::effectiveLastYear() const
{
    return lastYear > 0 ? lastYear : QDate::currentDate().year();
}

QString SyntheticDatabase::connectionString(const QString &path)
{
    return QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + path
        + QStringLiteral(";Persist Security Info=False");
}

SyntheticSummary SyntheticDatabase::generate(const QString &templatePath, const QString &output,
                                             const SyntheticOptions &o, const Progress &progress)
{
    auto say = [&](const QString &message) {
        if (progress)
            progress(message);
    };
    if (o.articles < o.linesPerMovement || o.suppliers < 1 || o.customers < 1 || o.years < 1
        || o.movementsPerYear < 0 || o.linesPerMovement < 1)
        throw platform::RuntimeError(platform::err::InvalidProcedureCall,
                                     QStringLiteral("options out of range (articles >= lines >= 1, at least one "
                                                    "supplier, customer and year)"));

    Stopwatch clock;
    QFile::remove(output);
    QFile::remove(output + QStringLiteral("-journal"));
    if (!QFile::copy(templatePath, output))
        throw platform::RuntimeError(platform::err::InvalidProcedureCall,
                                     QStringLiteral("cannot copy the template %1 to %2").arg(templatePath, output));
    QFile::setPermissions(output, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);

    SyntheticSummary summary;
    summary.lastYear = o.effectiveLastYear();
    summary.firstYear = summary.lastYear - o.years + 1;

    Dice dice(o.seed);
    platform::Connection c(connectionString(output));
    // The stock tables are filled once at the end, faster than their
    // triggers keep them row by row during a bulk load.
    for (const QString &trigger : platform::jet::templatequeries::stockTablesTriggers())
        c.openSession().exec(QStringLiteral("DROP TRIGGER IF EXISTS ") + trigger);
    writeReferenceTables(c);
    writeCounterparts(c, dice, o);
    summary.counterparts = o.suppliers + o.customers;
    const std::vector<Article> articles = writeArticles(c, dice, o, summary.firstYear);
    summary.articles = static_cast<long long>(articles.size());
    say(QStringLiteral("%1 articles, %2 suppliers, %3 customers (%4 s)")
            .arg(articles.size())
            .arg(o.suppliers)
            .arg(o.customers)
            .arg(clock.seconds(), 0, 'f', 1));

    // Each supplier's own articles: purchases and returns to a supplier
    // mostly name the supplier's articles.
    std::vector<std::vector<int>> bySupplier(static_cast<size_t>(o.suppliers + 1));
    for (size_t i = 0; i < articles.size(); ++i)
        bySupplier[static_cast<size_t>(articles[i].supplier)].push_back(static_cast<int>(i));

    std::int32_t idReg = 0;
    std::vector<int> chosen;
    for (int year = summary.firstYear; year <= summary.lastYear; ++year) {
        // Costs and prices rise about 2% a year up to the last year's.
        const double yearFactor = std::pow(1.02, year - summary.lastYear);
        const std::vector<QDate> days = workingDays(year);
        std::vector<QDate> dates(static_cast<size_t>(o.movementsPerYear));
        for (QDate &d : dates)
            d = days[static_cast<size_t>(dice.uniform(0, static_cast<int>(days.size()) - 1))];
        std::sort(dates.begin(), dates.end()); // entered day by day: numbers follow the dates

        c.beginTrans();
        TableWriter heads(c, QStringLiteral("MagazRegMain"),
                          {QStringLiteral("IdReg"), QStringLiteral("DataIns"), QStringLiteral("Progressivo"),
                           QStringLiteral("Causale"), QStringLiteral("Descrizione"),
                           QStringLiteral("TipoContropartita"), QStringLiteral("IdContropartita")});
        TableWriter lines(c, QStringLiteral("MagazRegDetail"),
                          {QStringLiteral("IdReg"), QStringLiteral("Riga"), QStringLiteral("CodiceArticolo"),
                           QStringLiteral("Quantità"), QStringLiteral("Segno"), QStringLiteral("Costo"),
                           QStringLiteral("Prezzo")});
        for (int m = 0; m < o.movementsPerYear; ++m) {
            int draw = dice.uniform(1, 1000);
            const Causale *causale = &Causali[0];
            for (const Causale &k : Causali) {
                causale = &k;
                if ((draw -= k.perThousand) <= 0)
                    break;
            }
            const QString kind = QString::fromUtf8(causale->counterpartKind);
            Variant counterpart = Variant::null();
            int supplier = 0;
            if (kind == u"Fornitore") {
                supplier = dice.uniform(1, o.suppliers);
                counterpart = Variant(std::int32_t(supplier));
            } else if (kind == u"Cliente") {
                counterpart = Variant(std::int32_t(o.suppliers + dice.uniform(1, o.customers)));
            }
            const int progressive = m + 1;
            QString description;
            const QString name = QString::fromUtf8(causale->name);
            if (name == u"Acquisto")
                description = QStringLiteral("DDT n. %1 del fornitore").arg(dice.uniform(1, 9999));
            else if (name == u"Vendita")
                description = QStringLiteral("Fattura n. %1/%2").arg(progressive).arg(year);
            else if (name == u"Carico")
                description = QStringLiteral("Carico da inventario");
            else if (name == u"Scarico")
                description = dice.chance(0.5) ? QStringLiteral("Uso interno") : QStringLiteral("Merce danneggiata");
            else
                description = QStringLiteral("Reso merce non conforme");

            ++idReg;
            heads.add({Variant(idReg), Variant(DateTime(dates[static_cast<size_t>(m)])),
                       Variant(std::int32_t(progressive)), Variant(name), Variant(description), Variant(kind),
                       counterpart});

            // Distinct articles per movement; a supplier's own where it has enough.
            chosen.clear();
            const std::vector<int> *own = supplier > 0 ? &bySupplier[static_cast<size_t>(supplier)] : nullptr;
            const bool fromOwn = own && static_cast<int>(own->size()) >= o.linesPerMovement * 2;
            while (static_cast<int>(chosen.size()) < o.linesPerMovement) {
                const int a = fromOwn ? (*own)[static_cast<size_t>(dice.uniform(0, static_cast<int>(own->size()) - 1))]
                                      : dice.skewed(o.articles);
                if (std::find(chosen.begin(), chosen.end(), a) == chosen.end())
                    chosen.push_back(a);
            }
            for (int l = 0; l < o.linesPerMovement; ++l) {
                const Article &a = articles[static_cast<size_t>(chosen[static_cast<size_t>(l)])];
                const bool loads = causale->sign > 0 && !causale->isReturn;
                double q;
                if (a.um == u"PZ" || a.um == u"CF")
                    q = loads ? 5 * dice.uniform(1, 40) : dice.uniform(1, causale->isReturn ? 5 : 12);
                else
                    q = round4(loads ? dice.real(5, 200) : dice.real(0.25, 25)); // weights and lengths
                if (causale->isReturn)
                    q = -q; // returns are stored negative
                const double cost = round4(a.cost * yearFactor * (loads ? dice.real(0.95, 1.05) : 1.0));
                lines.add({Variant(idReg), Variant(std::int32_t(10 * (l + 1))), Variant(a.code),
                           Variant(Currency::fromDouble(q)), Variant(std::int16_t(causale->sign)), Variant(cost),
                           Variant(round2(a.priceVat * yearFactor))});
            }
        }
        // The year's movement counter: the last number given.
        TableWriter counter(c, QStringLiteral("_Pars"),
                            {QStringLiteral("k01"), QStringLiteral("l01"), QStringLiteral("l02")});
        counter.add({Variant("maga"), Variant(std::int32_t(year)), Variant(std::int32_t(o.movementsPerYear))});
        c.commitTrans();
        summary.movements += heads.written();
        summary.lines += lines.written();
        say(QStringLiteral("year %1: %2 movements, %3 lines (%4 s)")
                .arg(year)
                .arg(heads.written())
                .arg(lines.written())
                .arg(clock.seconds(), 0, 'f', 1));
    }
    say(QStringLiteral("stock tables (%1 s)").arg(clock.seconds(), 0, 'f', 1));
    c.beginTrans();
    c.openSession().exec(platform::jet::templatequeries::stockTablesSchema()
                         + platform::jet::templatequeries::stockTablesFill());
    c.commitTrans();
    c.close();
    summary.seconds = clock.seconds();
    return summary;
}
