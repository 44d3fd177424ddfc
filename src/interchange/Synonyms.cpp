// The names other programs and recipe sites give the glasses and categories
// the program knows. The table is documented in docs/formats.md; change both.

#include "data/Catalogue.h"
#include "data/TextFold.h"
#include "interchange/Interchange.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace pv::interchange {

namespace {

// Folded as foldForSearch does, hyphens read as spaces, and a closing word
// that says only what the thing is ("glass", "cocktails") dropped.
QString normalised(const QString &text, const QStringList &tailWords)
{
    QString s = foldForSearch(QString(text).replace(QLatin1Char('-'), QLatin1Char(' ')));
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    s.replace(spaces, QStringLiteral(" "));
    for (const QString &w : tailWords)
        if (s.endsWith(QLatin1Char(' ') + w) && s.size() > w.size() + 1)
            return s.left(s.size() - w.size() - 1);
    return s;
}

const QStringList &glassTail()
{
    static const QStringList words = {QStringLiteral("glasses"), QStringLiteral("glass")};
    return words;
}

const QStringList &categoryTail()
{
    static const QStringList words = {QStringLiteral("cocktails"), QStringLiteral("cocktail"),
                                      QStringLiteral("drinks"), QStringLiteral("drink")};
    return words;
}

struct Synonym {
    const char *known;
    const char *other; // normalised
};

constexpr Synonym kGlassSynonyms[] = {
    {"Old-Fashioned", "rocks"},          {"Old-Fashioned", "lowball"},
    {"Old-Fashioned", "double old fashioned"}, {"Old-Fashioned", "tumbler"},
    {"Cocktail", "martini"},             {"Cocktail", "coupe"},
    {"Cocktail", "coupette"},            {"Cocktail", "nick and nora"},
    {"Collins", "tom collins"},          {"Shot", "shooter"},
    {"Champagne Flute", "flute"},        {"Champagne Flute", "champagne"},
    {"Brandy Snifter", "snifter"},       {"Brandy Snifter", "brandy"},
    {"Brandy Snifter", "cognac"},        {"Red Wine", "wine"},
    {"Beer Pilsner", "pilsner"},         {"Beer Pilsner", "pint"},
    {"Beer Mug", "stein"},               {"Beer Mug", "beer stein"},
    {"Beer Mug", "tankard"},             {"Coffee Mug", "mug"},
    {"Coffee Mug", "coffee cup"},        {"Irish Coffee", "irish coffee mug"},
    {"Irish Coffee", "irish coffee cup"}, {"Sherry", "copita"},
    {"Whiskey Sour", "sour"},            {"Whiskey Sour", "whisky sour"},
    {"Punch Cup", "punch"},              {"Pony", "cordial"},
    {"Goblet", "chalice"},
};

constexpr Synonym kCategorySynonyms[] = {
    {"Aperitifs", "aperitif"},         {"Aperitifs", "aperitivo"},
    {"Beer", "beers"},                 {"Brandy", "cognac"},
    {"Cordials", "cordial"},           {"Cordials", "liqueur"},
    {"Cordials", "liqueurs"},          {"Hot Drinks", "hot"},
    {"Hot Drinks", "warm"},            {"Non-Alcoholic", "non alcoholic"},
    {"Non-Alcoholic", "nonalcoholic"}, {"Non-Alcoholic", "alcohol free"},
    {"Non-Alcoholic", "mocktail"},     {"Non-Alcoholic", "mocktails"},
    {"Non-Alcoholic", "virgin"},       {"Non-Alcoholic", "zero proof"},
    {"Punch", "punches"},              {"Rum", "rhum"},
    {"Scotch", "scotch whisky"},       {"Tropical", "tiki"},
    {"Whiskey", "whisky"},             {"Whiskey", "rye"},
    {"Whiskey", "rye whiskey"},        {"Wine", "wines"},
    {"Wine", "sparkling wine"},        {"Wine", "champagne"},
};

// The known name `text` means, or empty. A known name written otherwise
// (other case, spaces, accents, a closing "glass") counts as well.
template <size_t N>
QString lookUp(const QString &text, const QStringList &known, const Synonym (&table)[N], const QStringList &tail)
{
    if (known.contains(text))
        return QString();
    const QString n = normalised(text, tail);
    if (n.isEmpty())
        return QString();
    for (const QString &k : known)
        if (normalised(k, tail) == n)
            return k;
    for (const Synonym &s : table)
        if (n == QLatin1String(s.other))
            return QLatin1String(s.known);
    return QString();
}

} // namespace

QString glassSynonym(const QString &text)
{
    return lookUp(text, glassNames(), kGlassSynonyms, glassTail());
}

QString categorySynonym(const QString &text)
{
    static const QStringList labels = [] {
        QStringList l;
        for (const Category &c : categories())
            l << QLatin1String(c.label);
        return l;
    }();
    return lookUp(text, labels, kCategorySynonyms, categoryTail());
}

namespace detail {

QString glassInText(const QString &text)
{
    // A glass word counts when "glass" follows it, or when the word names
    // nothing but a glass; "on the rocks" or "a shot of" do not.
    static const QRegularExpression re = [] {
        QStringList phrases;
        auto add = [&phrases](QString p) {
            p = QRegularExpression::escape(p.toLower().replace(QLatin1Char('-'), QLatin1Char(' ')));
            phrases << p.replace(QStringLiteral("\\ "), QStringLiteral("[\\s-]+"));
        };
        for (const QString &g : glassNames())
            add(g);
        for (const Synonym &s : kGlassSynonyms)
            add(QLatin1String(s.other));
        static const char *const alone[] = {"champagne flute", "brandy snifter", "punch cup",  "coffee mug",
                                            "beer mug",        "irish coffee mug", "highball", "coupe",
                                            "coupette",        "snifter",        "flute",      "goblet",
                                            "tumbler",         "lowball"};
        QStringList single;
        for (const char *a : alone)
            single << QString::fromLatin1(a).replace(QLatin1Char(' '), QStringLiteral("\\s+"));
        std::sort(phrases.begin(), phrases.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
        return QRegularExpression(QStringLiteral("\\b(?:(%1)\\s+glass(?:es)?|(%2))\\b")
                                      .arg(phrases.join(QLatin1Char('|')), single.join(QLatin1Char('|'))),
                                  QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    }();
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return QString();
    const QString said = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
    for (const QString &g : glassNames())
        if (foldForSearch(QString(g).replace(QLatin1Char('-'), QLatin1Char(' '))) ==
            foldForSearch(QString(said).replace(QLatin1Char('-'), QLatin1Char(' '))))
            return g;
    return glassSynonym(said);
}

} // namespace detail

} // namespace pv::interchange
