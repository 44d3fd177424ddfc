#pragma once

#include "data/IngredientVocabulary.h"

#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>

namespace pv {

// How a drink is made, as its directions tell it.
enum class Method { Shaken, Stirred, Built, Blended, Thrown };

struct MethodReading {
    Method method = Method::Built;
    bool withIce = false; // built: over ice, or without (hot drinks, shots)
    bool frozen = false;  // blended until smooth, the ice blended into the drink
};

// The rule of docs/catalogue.md: the first of blended, thrown, shaken that
// the directions name; else stirred when they stir and strain; else built.
MethodReading methodFromDirections(const QString &directions);
QString methodName(Method method); // "shaken", "stirred"...

// The water the ice adds, as a share of the drink's volume before it
// (0.5 = half as much again), for a start strength of `abv` (0..1).
double dilutionRatio(const MethodReading &method, double abv);

// Typical strengths of the vocabulary's alcoholic ingredients
// (content/catalogue/strength.txt), and what a counted piece adds
// ("Egg: 0, 30 ml each").
class StrengthTable {
public:
    struct Entry {
        double abv = 0; // 0..1
        double mlEach = 0;
        int line = 0;
    };
    struct Problem {
        int line = 0; // in the strength text; 0 for a vocabulary entry without one
        QString message;
        int vocabularyLine = 0; // the entry's line in the vocabulary, then
    };

    // Names are vocabulary names; every spirit, liqueur, wine, beer and
    // bitters of the vocabulary needs a strength, its own or a parent's.
    static StrengthTable parse(const QString &text, const IngredientVocabulary &vocabulary,
                               QList<Problem> *problems = nullptr);

    struct Lookup {
        bool known = false; // false: no strength can be told for this text
        double abv = 0;
        double mlEach = 0;
        QString name; // the vocabulary's name, or the text when it has none
    };
    Lookup lookup(const QString &ingredientText) const;

    const IngredientVocabulary &vocabulary() const { return m_vocabulary; }

private:
    IngredientVocabulary m_vocabulary;
    QHash<int, Entry> m_entries; // vocabulary index -> strength
};

// The bundled vocabulary and strengths, compiled into the program.
const StrengthTable &bundledStrengths();

// The grams of pure alcohol in one standard drink where `locale` is.
struct DrinkStandard {
    QString name; // "United States"
    double grams = 10;
};
DrinkStandard standardForLocale(const QLocale &locale);
// Every standard the card offers, the locale's first.
QList<DrinkStandard> drinkStandards();

// Grams of alcohol in a millilitre of it.
inline constexpr double kEthanolDensity = 0.789;

} // namespace pv
