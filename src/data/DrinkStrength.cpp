#include "data/DrinkStrength.h"

#include "data/TextFold.h"

#include <QFile>
#include <QRegularExpression>

namespace pv {

namespace {

bool mentions(const QString &text, const char *pattern)
{
    const QRegularExpression re(QString::fromLatin1(pattern), QRegularExpression::CaseInsensitiveOption);
    return re.match(text).hasMatch();
}

bool alcoholicKind(IngredientKind kind)
{
    return kind == IngredientKind::Spirit || kind == IngredientKind::Liqueur || kind == IngredientKind::Wine ||
           kind == IngredientKind::Beer || kind == IngredientKind::Bitters;
}

} // namespace

MethodReading methodFromDirections(const QString &d)
{
    MethodReading m;
    // "Ice-cold water" is no ice in the glass.
    m.withIce = mentions(d, "\\bice\\b(?!-cold)|\\brocks\\b");
    if (mentions(d, "\\bblend")) {
        m.method = Method::Blended;
        m.frozen = mentions(d, "until smooth|\\bfrozen\\b|slush");
    } else if (mentions(d, "\\bthrow|\\bthrown\\b")) {
        m.method = Method::Thrown;
    } else if (mentions(d, "\\bshake|\\bshaken\\b|\\bshaker\\b")) {
        m.method = Method::Shaken;
    } else if (mentions(d, "\\bstir") && mentions(d, "\\bstrain")) {
        m.method = Method::Stirred;
    } else {
        m.method = Method::Built;
    }
    return m;
}

QString methodName(Method method)
{
    switch (method) {
    case Method::Shaken: return QStringLiteral("shaken");
    case Method::Stirred: return QStringLiteral("stirred");
    case Method::Blended: return QStringLiteral("blended");
    case Method::Thrown: return QStringLiteral("thrown");
    default: return QStringLiteral("built");
    }
}

double dilutionRatio(const MethodReading &m, double abv)
{
    abv = std::clamp(abv, 0.0, 1.0);
    // Fits to measured shaken and stirred drinks, by start strength (see
    // docs/catalogue.md for the source).
    const double shaken = -1.567 * abv * abv + 1.742 * abv + 0.203;
    const double stirred = -1.21 * abv * abv + 1.246 * abv + 0.145;
    switch (m.method) {
    case Method::Shaken: return shaken;
    case Method::Stirred:
    case Method::Thrown: return stirred;
    case Method::Blended: return m.frozen ? 1.0 : shaken;
    default: return m.withIce ? 0.10 : 0.0;
    }
}

StrengthTable StrengthTable::parse(const QString &text, const IngredientVocabulary &vocabulary,
                                   QList<Problem> *problems)
{
    StrengthTable t;
    t.m_vocabulary = vocabulary;
    auto problem = [&](int line, const QString &message) {
        if (problems)
            problems->append({line, message});
    };
    static const QRegularExpression entry(
        QStringLiteral("^(.+?)\\s*:\\s*([0-9]+(?:\\.[0-9]+)?)\\s*%?\\s*(?:,\\s*([0-9]+(?:\\.[0-9]+)?)\\s*ml each)?\\s*$"));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QRegularExpressionMatch m = entry.match(line);
        if (!m.hasMatch()) {
            problem(i + 1, QStringLiteral("'%1' is not 'Name: ABV' or 'Name: ABV, N ml each'").arg(line));
            continue;
        }
        const QString name = m.captured(1);
        const int index = vocabulary.find(name);
        if (index < 0 || foldForSearch(vocabulary.at(index).name) != foldForSearch(name)) {
            problem(i + 1, QStringLiteral("'%1' is not an ingredient of the vocabulary").arg(name));
            continue;
        }
        if (t.m_entries.contains(index)) {
            problem(i + 1, QStringLiteral("'%1' is given twice").arg(name));
            continue;
        }
        const double abv = m.captured(2).toDouble();
        if (abv > 100) {
            problem(i + 1, QStringLiteral("'%1' is stronger than pure alcohol").arg(name));
            continue;
        }
        t.m_entries.insert(index, {abv / 100, m.captured(3).toDouble(), i + 1});
    }
    for (int i = 0; i < vocabulary.size(); ++i)
        if (alcoholicKind(vocabulary.at(i).kind) && !t.lookup(vocabulary.at(i).name).known)
            if (problems)
                problems->append({0, QStringLiteral("'%1' has no typical strength").arg(vocabulary.at(i).name),
                                  vocabulary.at(i).line});
    return t;
}

StrengthTable::Lookup StrengthTable::lookup(const QString &ingredientText) const
{
    Lookup r;
    const int index = m_vocabulary.find(ingredientText);
    if (index < 0) {
        r.name = ingredientText.trimmed();
        return r;
    }
    r.name = m_vocabulary.at(index).name;
    // A more specific kind without a strength of its own has its parent's.
    for (int i = index, guard = 0; i >= 0 && guard < 64; i = m_vocabulary.at(i).parent, ++guard) {
        const auto e = m_entries.constFind(i);
        if (e != m_entries.constEnd()) {
            r.known = true;
            r.abv = e->abv;
            r.mlEach = e->mlEach;
            return r;
        }
    }
    if (!alcoholicKind(m_vocabulary.at(index).kind))
        r.known = true; // juices, syrups, sodas, garnishes: no alcohol
    return r;
}

const StrengthTable &bundledStrengths()
{
    static const StrengthTable t = [] {
        auto read = [](const char *path) {
            QFile f(QString::fromLatin1(path));
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        };
        return StrengthTable::parse(read(":/catalogue/strength.txt"),
                                    IngredientVocabulary::parse(read(":/catalogue/ingredients.txt")));
    }();
    return t;
}

QList<DrinkStandard> drinkStandards()
{
    return {
        {QStringLiteral("United States"), 14},
        {QStringLiteral("Canada"), 13.45},
        {QStringLiteral("United Kingdom"), 8},
        {QStringLiteral("Australia, New Zealand, Ireland"), 10},
        {QStringLiteral("Italy"), 12},
        {QStringLiteral("Japan, Austria"), 20},
        {QStringLiteral("World Health Organization"), 10},
    };
}

DrinkStandard standardForLocale(const QLocale &locale)
{
    const QList<DrinkStandard> all = drinkStandards();
    switch (locale.territory()) {
    case QLocale::UnitedStates: return all[0];
    case QLocale::Canada: return all[1];
    case QLocale::UnitedKingdom: return all[2];
    case QLocale::Australia:
    case QLocale::NewZealand:
    case QLocale::Ireland: return all[3];
    case QLocale::Italy: return all[4];
    case QLocale::Japan:
    case QLocale::Austria: return all[5];
    default: return all[6];
    }
}

} // namespace pv
