#include "data/Quantity.h"

#include <QHash>
#include <QList>

#include <array>

#include <cmath>

namespace pv {

namespace {

struct UnitInfo {
    const char *unit;
    QuantityKind kind;
    double ml; // per unit, for volumes
    const char *singular;
    const char *plural;
};

// A US fluid ounce; the other volumes follow from it as a US bar measures.
constexpr double kOz = 29.5735;

const UnitInfo kUnits[] = {
    {"oz", QuantityKind::Volume, kOz, "oz", "oz"},
    {"ml", QuantityKind::Volume, 1, "ml", "ml"},
    {"cl", QuantityKind::Volume, 10, "cl", "cl"},
    {"l", QuantityKind::Volume, 1000, "l", "l"},
    {"tsp", QuantityKind::Volume, kOz / 6, "tsp", "tsp"},
    {"tbsp", QuantityKind::Volume, kOz / 2, "tbsp", "tbsp"},
    {"cup", QuantityKind::Volume, kOz * 8, "cup", "cups"},
    {"bar spoon", QuantityKind::Volume, 5, "bar spoon", "bar spoons"},
    {"jigger", QuantityKind::Volume, kOz * 1.5, "jigger", "jiggers"},
    {"shot", QuantityKind::Volume, kOz * 1.5, "shot", "shots"},
    {"part", QuantityKind::Part, 0, "part", "parts"},
    {"dash", QuantityKind::Small, 0, "dash", "dashes"},
    {"drop", QuantityKind::Small, 0, "drop", "drops"},
    {"splash", QuantityKind::Small, 0, "splash", "splashes"},
    {"pinch", QuantityKind::Small, 0, "pinch", "pinches"},
    {"g", QuantityKind::Weight, 0, "g", "g"},
    {"slice", QuantityKind::Count, 0, "slice", "slices"},
    {"wedge", QuantityKind::Count, 0, "wedge", "wedges"},
    {"wheel", QuantityKind::Count, 0, "wheel", "wheels"},
    {"leaf", QuantityKind::Count, 0, "leaf", "leaves"},
    {"sprig", QuantityKind::Count, 0, "sprig", "sprigs"},
    {"twist", QuantityKind::Count, 0, "twist", "twists"},
    {"cube", QuantityKind::Count, 0, "cube", "cubes"},
    {"whole", QuantityKind::Count, 0, "whole", "whole"},
    {"stalk", QuantityKind::Count, 0, "stalk", "stalks"},
    {"chunk", QuantityKind::Count, 0, "chunk", "chunks"},
    {"piece", QuantityKind::Count, 0, "piece", "pieces"},
    {"scoop", QuantityKind::Count, 0, "scoop", "scoops"},
    {"peel", QuantityKind::Count, 0, "peel", "peels"},
};

// Other spellings, beyond each unit's singular and plural.
const std::pair<const char *, const char *> kSpellings[] = {
    {"ounce", "oz"},       {"ounces", "oz"},       {"fl oz", "oz"},         {"fl. oz", "oz"},
    {"fl.oz", "oz"},       {"millilitre", "ml"},   {"millilitres", "ml"},   {"milliliter", "ml"},
    {"milliliters", "ml"}, {"centilitre", "cl"},   {"centilitres", "cl"},   {"centiliter", "cl"},
    {"centiliters", "cl"}, {"litre", "l"},         {"litres", "l"},         {"liter", "l"},
    {"liters", "l"},       {"teaspoon", "tsp"},    {"teaspoons", "tsp"},    {"tablespoon", "tbsp"},
    {"tablespoons", "tbsp"}, {"barspoon", "bar spoon"}, {"barspoons", "bar spoon"}, {"bsp", "bar spoon"},
    {"gram", "g"},         {"grams", "g"},         {"dashes", "dash"},      {"pinches", "pinch"},
    {"leaves", "leaf"},    {"wheels", "wheel"},
};

// Texts that name no amount. The first ones fill the glass up.
const char *const kTopPhrases[] = {"top with", "top up with", "top up", "fill with", "fill up with", "to top"};
const char *const kOtherPhrases[] = {"to taste", "a splash", "as needed", "as required", "for garnish",
                                     "garnish", "to garnish", "a rinse", "rinse", "a float", "float",
                                     "a few", "a handful", "some"};

struct Tables {
    QHash<QString, int> words;    // lower-case word -> index in kUnits
    QHash<QString, bool> phrases; // lower-case phrase -> fills up
    QList<QString> unitIds;       // kUnits[i].unit, shared so a result costs no copy
    // The words again by their first letter, for a lookup that needs no
    // lower-cased copy of the text.
    struct Spelling {
        QString word;
        int unit;
    };
    std::array<QList<Spelling>, 26> byLetter;
    Tables()
    {
        for (int i = 0; i < int(std::size(kUnits)); ++i) {
            words.insert(QString::fromLatin1(kUnits[i].singular), i);
            words.insert(QString::fromLatin1(kUnits[i].plural), i);
            unitIds << QString::fromLatin1(kUnits[i].unit);
        }
        for (const auto &[spelling, unit] : kSpellings)
            for (int i = 0; i < int(std::size(kUnits)); ++i)
                if (qstrcmp(kUnits[i].unit, unit) == 0)
                    words.insert(QString::fromLatin1(spelling), i);
        for (auto it = words.cbegin(); it != words.cend(); ++it)
            byLetter[it.key()[0].unicode() - 'a'].append({it.key(), it.value()});
        for (const char *p : kTopPhrases)
            phrases.insert(QString::fromLatin1(p), true);
        for (const char *p : kOtherPhrases)
            phrases.insert(QString::fromLatin1(p), false);
    }
    // The unit of a word as written, any case; -1 when it is not one.
    int unitOf(QStringView word, const QString **spelling) const
    {
        if (word.isEmpty())
            return -1;
        const char16_t first = QChar(word[0]).toLower().unicode();
        if (first >= 'a' && first <= 'z' && !word.endsWith(QLatin1Char('.')) && !word.contains(u"  "))
            for (const Spelling &s : byLetter[first - 'a'])
                if (s.word.size() == word.size() && word.compare(s.word, Qt::CaseInsensitive) == 0) {
                    *spelling = &s.word;
                    return s.unit;
                }
        return -2; // not a plain spelling: try the normalised text
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

// A word in lower case with runs of spaces made one, trailing full stops
// dropped ("Fl.  Oz." -> "fl. oz").
QString normalised(QStringView s)
{
    QString out;
    out.reserve(s.size());
    bool space = false;
    for (QChar c : s) {
        if (c.isSpace()) {
            space = !out.isEmpty();
            continue;
        }
        if (space)
            out += QLatin1Char(' ');
        space = false;
        out += c.toLower();
    }
    while (out.endsWith(QLatin1Char('.')))
        out.chop(1);
    return out;
}

double vulgarFraction(QChar c)
{
    switch (c.unicode()) {
    case 0x00BD: return 1.0 / 2;
    case 0x2153: return 1.0 / 3;
    case 0x2154: return 2.0 / 3;
    case 0x00BC: return 1.0 / 4;
    case 0x00BE: return 3.0 / 4;
    case 0x2155: return 1.0 / 5;
    case 0x2156: return 2.0 / 5;
    case 0x2157: return 3.0 / 5;
    case 0x2158: return 4.0 / 5;
    case 0x2159: return 1.0 / 6;
    case 0x215A: return 5.0 / 6;
    case 0x215B: return 1.0 / 8;
    case 0x215C: return 3.0 / 8;
    case 0x215D: return 5.0 / 8;
    case 0x215E: return 7.0 / 8;
    default: return -1;
    }
}

// A scanner over the quantity text: one number at a time.
class Scanner {
public:
    explicit Scanner(QStringView s) : m_s(s) {}

    qsizetype pos = 0;
    bool dividedByZero = false;

    bool atEnd() const { return pos >= m_s.size(); }
    QChar peek(qsizetype ahead = 0) const { return pos + ahead < m_s.size() ? m_s[pos + ahead] : QChar(); }
    void skipSpaces()
    {
        while (!atEnd() && peek().isSpace())
            ++pos;
    }
    QStringView rest() const { return m_s.mid(pos); }

    // A whole number, a decimal, a fraction, a vulgar fraction or a mixed
    // number. False, leaving the position, when none starts here.
    bool number(double &value)
    {
        const qsizetype start = pos;
        double whole = 0;
        if (!digits(whole)) {
            const double v = vulgarFraction(peek());
            if (v < 0)
                return false;
            ++pos;
            value = v;
            return true;
        }
        // Decimal: "2.5", "2,5".
        if ((peek() == QLatin1Char('.') || peek() == QLatin1Char(',')) && peek(1).isDigit()) {
            ++pos;
            double scale = 0.1;
            while (!atEnd() && peek().isDigit()) {
                whole += scale * peek().digitValue();
                scale /= 10;
                ++pos;
            }
            value = whole;
            return true;
        }
        // Fraction: "3/4".
        double f = 0;
        if (fraction(whole, f)) {
            value = f;
            return true;
        }
        // Mixed: "1½", "1 ½", "1 1/2", "1-1/2".
        const qsizetype afterWhole = pos;
        if (vulgarFraction(peek()) >= 0) {
            value = whole + vulgarFraction(peek());
            ++pos;
            return true;
        }
        if (peek() == QLatin1Char(' ') || peek() == QLatin1Char('-')) {
            const bool dash = peek() == QLatin1Char('-');
            ++pos;
            if (!dash)
                skipSpaces();
            if (!dash && vulgarFraction(peek()) >= 0) {
                value = whole + vulgarFraction(peek());
                ++pos;
                return true;
            }
            double numerator = 0;
            const qsizetype here = pos;
            if (digits(numerator) && fraction(numerator, f) && f < 1) {
                value = whole + f;
                return true;
            }
            pos = here;
        }
        pos = afterWhole;
        value = whole;
        return pos > start;
    }

private:
    bool digits(double &value)
    {
        const qsizetype start = pos;
        value = 0;
        while (!atEnd() && peek().isDigit() && pos - start < 9) {
            value = value * 10 + peek().digitValue();
            ++pos;
        }
        return pos > start;
    }
    // After a numerator: "/4" (a fraction slash counts too).
    bool fraction(double numerator, double &value)
    {
        if (peek() != QLatin1Char('/') && peek() != QChar(0x2044))
            return false;
        const qsizetype slash = pos;
        ++pos;
        double denominator = 0;
        if (!digits(denominator)) {
            pos = slash;
            return false;
        }
        if (denominator == 0) {
            dividedByZero = true;
            value = 0;
        } else {
            value = numerator / denominator;
        }
        return true;
    }

    QStringView m_s;
};

bool rangeSeparator(Scanner &sc)
{
    const qsizetype start = sc.pos;
    sc.skipSpaces();
    const QChar c = sc.peek();
    if (c == QLatin1Char('-') || c == QChar(0x2013) || c == QChar(0x2014)) {
        ++sc.pos;
        sc.skipSpaces();
        return true;
    }
    if ((c == QLatin1Char('t') || c == QLatin1Char('T')) &&
        (sc.peek(1) == QLatin1Char('o') || sc.peek(1) == QLatin1Char('O')) && sc.peek(2).isSpace()) {
        sc.pos += 3;
        sc.skipSpaces();
        return true;
    }
    sc.pos = start;
    return false;
}

Quantity absurd(Quantity q, const QString &why)
{
    q.kind = QuantityKind::Absurd;
    q.problem = why;
    return q;
}

} // namespace

double Quantity::millilitres() const
{
    return kind == QuantityKind::Volume ? amount() * millilitresPerUnit(unit) : 0;
}

double millilitresPerUnit(const QString &unit)
{
    for (const UnitInfo &u : kUnits)
        if (u.kind == QuantityKind::Volume && unit == QLatin1String(u.unit))
            return u.ml;
    return 0;
}

bool isKnownUnitWord(const QString &word)
{
    return tables().words.contains(normalised(word));
}

bool isKnownPhrase(const QString &phrase)
{
    return tables().phrases.contains(normalised(phrase));
}

QString unitWordFor(const QString &unit, double amount)
{
    for (const UnitInfo &u : kUnits)
        if (unit == QLatin1String(u.unit))
            return QString::fromLatin1(amount > 1.0001 || amount == 0 ? u.plural : u.singular);
    return unit;
}

Quantity parseQuantity(QStringView text)
{
    Quantity q;
    const QStringView s = text.trimmed();
    if (s.isEmpty()) {
        q.kind = QuantityKind::Phrase;
        return q;
    }
    const Tables &t = tables();
    // Phrases first: "a splash" is no measure, though "a dash" is one dash.
    if (s.size() <= 20 && s[0].isLetter() && vulgarFraction(s[0]) < 0) {
        const auto phrase = t.phrases.constFind(normalised(s));
        if (phrase != t.phrases.constEnd()) {
            q.kind = QuantityKind::Phrase;
            q.topUp = phrase.value();
            return q;
        }
    }

    Scanner sc(s);
    bool negative = false;
    if (sc.peek() == QLatin1Char('-') || sc.peek() == QChar(0x2212)) {
        negative = true;
        ++sc.pos;
        sc.skipSpaces();
    } else if (sc.peek() == QLatin1Char('+')) {
        ++sc.pos;
    }
    double low = 0;
    if (!sc.number(low)) {
        // "a dash", "an ounce".
        const QStringView rest = sc.rest();
        if (!negative && (rest.startsWith(QLatin1String("a "), Qt::CaseInsensitive) ||
                          rest.startsWith(QLatin1String("an "), Qt::CaseInsensitive))) {
            sc.pos += rest[1] == QLatin1Char(' ') ? 2 : 3;
            low = 1;
        } else {
            return q;
        }
    }
    double high = low;
    {
        const qsizetype before = sc.pos;
        if (rangeSeparator(sc)) {
            if (!sc.number(high)) {
                sc.pos = before;
                high = low;
            }
        }
    }
    q.low = negative ? -low : low;
    q.high = negative ? -high : high;

    sc.skipSpaces();
    const QStringView rest = sc.rest();
    if (rest.isEmpty()) {
        q.kind = QuantityKind::Count;
    } else {
        const QString *spelling = nullptr;
        int unit = t.unitOf(rest, &spelling);
        if (unit == -2) {
            const auto found = t.words.constFind(normalised(rest));
            unit = found == t.words.constEnd() ? -1 : found.value();
        }
        if (unit < 0)
            return Quantity{};
        q.kind = kUnits[unit].kind;
        q.unit = t.unitIds[unit];
        // Written as the list spells it, the word is shared, not copied.
        q.word = spelling && *spelling == rest ? *spelling : rest.trimmed().toString();
    }

    if (sc.dividedByZero)
        return absurd(q, QStringLiteral("divides by zero"));
    if (negative)
        return absurd(q, QStringLiteral("is less than nothing"));
    if (q.low <= 0)
        return absurd(q, QStringLiteral("is nothing"));
    if (q.high < q.low)
        return absurd(q, QStringLiteral("runs backwards"));
    switch (q.kind) {
    case QuantityKind::Volume:
        if (q.high * millilitresPerUnit(q.unit) > kMostMillilitresPerLine)
            return absurd(q, QStringLiteral("is more than five litres"));
        break;
    case QuantityKind::Weight:
        if (q.high > 5000)
            return absurd(q, QStringLiteral("is more than five kilograms"));
        break;
    default:
        if (q.high > 200)
            return absurd(q, QStringLiteral("is more than a bar would count"));
        break;
    }
    return q;
}

} // namespace pv
