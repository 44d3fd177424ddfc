#pragma once

#include "data/Amounts.h"
#include "data/DrinkStrength.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace pv {

// One drink as the card reads it: the texts as stored or typed.
struct CardRecipe {
    QString name;
    QString glass;
    QStringList categories;
    std::array<QString, 10> quantities;
    std::array<QString, 10> ingredients;
    QString directions;
};

// A container a drink is batched for.
struct BatchContainer {
    QString name; // "750 ml bottle"
    double ml = 0;
};
QList<BatchContainer> batchContainers();

inline constexpr int kMostServings = 100;
inline constexpr double kLeastBatchMl = 100;
inline constexpr double kMostBatchMl = 20000;

struct CardOptions {
    UnitChoice units = UnitChoice::AsWritten;
    int servings = 1;    // 1 to 100; ignored while batching
    double batchMl = 0;  // a container to fill, or 0
    double partMl = 30;  // what one "part" is
    DrinkStandard standard;
};

struct CardLine {
    QString amount;     // as shown: converted, scaled, or as typed
    QString ingredient;
    bool perGlass = false; // a garnish or top-up, added to each glass of a batch
};

// Everything a recipe card shows, worked out from the recipe and the
// choices. Estimates only: the strengths are typical ones.
struct RecipeCard {
    QString name;
    QString glass;
    QStringList categories;
    QList<CardLine> lines;
    QString directions;

    MethodReading method;
    double servings = 1;    // how many glasses the card makes
    double volumeMl = 0;    // one glass, after dilution and top-up
    double batchWaterMl = 0; // water to add to a batch of a stirred or shaken drink
    double startAbv = 0;    // before the ice, 0..1
    double abv = 0;         // in the glass, 0..1
    double standardDrinks = 0; // in one glass
    bool strengthKnown = false;
    QString unknownReason;  // "Don's Mix has no ABV"
    bool usesParts = false;
    QStringList notes;      // amounts left out, top-ups estimated, the batch water

    // "24% ABV in 105 ml", or "strength unknown: Don's Mix has no ABV".
    QString strengthLine(UnitChoice units) const;
    // "1.6 standard drinks (14 g of alcohol each, United States)".
    QString standardLine(const DrinkStandard &standard) const;
    // The card as plain text: the name, one line per amount and
    // ingredient, the directions, the strength line.
    QString toPlainText(const CardOptions &options) const;
};

RecipeCard buildRecipeCard(const CardRecipe &recipe, const CardOptions &options,
                           const StrengthTable &strengths = bundledStrengths());

// What a top-up fills a glass of this kind with, as liquid around the ice.
double glassFillMillilitres(const QString &glass);

} // namespace pv

namespace pv {

// The drink with this drinklst key as a card reads it, from the catalogue
// file; false (with `error` set when the file cannot be read) when there
// is no such drink.
bool readCardRecipe(const QString &catalogue, qint64 key, CardRecipe *recipe, QString *error = nullptr);

} // namespace pv
