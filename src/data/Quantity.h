#pragma once

#include <QString>
#include <QStringView>

namespace pv {

// What a quantity text turned out to be.
enum class QuantityKind {
    Volume,   // oz, ml, cl, l, tsp, tbsp, cup, bar spoon, jigger, shot
    Part,     // "2 parts": a share of the drink, sized by the reader
    Small,    // dash, drop, splash, pinch: kept as written, never converted
    Count,    // a bare number or a counted thing: slice, wedge, sprig...
    Weight,   // grams
    Phrase,   // no amount at all: "Top with", "to taste", "a splash"
    Absurd,   // a number, but not one to compute with: "-1", "1/0", "999 oz"
    Unparsed, // not understood; shown as typed
};

// One recipe quantity as a number and a unit. The text itself is never
// changed; what is shown converted or scaled is worked out from this.
struct Quantity {
    QuantityKind kind = QuantityKind::Unparsed;
    double low = 0;  // the amount; a range runs from low to high
    double high = 0;
    QString unit;    // canonical unit: "oz", "ml", "bar spoon", "slice"; empty for a bare count
    QString word;    // the unit as written ("bar spoons", "Ounces")
    QString problem; // why an Absurd amount is left out of the sums
    bool topUp = false; // "Top with", "Fill with": the glass is filled up with it

    bool isAmount() const
    {
        return kind == QuantityKind::Volume || kind == QuantityKind::Part || kind == QuantityKind::Small ||
               kind == QuantityKind::Count || kind == QuantityKind::Weight;
    }
    bool isRange() const { return high != low; }
    // The middle of a range; the amount itself otherwise.
    double amount() const { return (low + high) / 2; }
    // The volume in millilitres, for Volume quantities (the middle of a range).
    double millilitres() const;
};

// Reads a quantity text: whole numbers, decimals, fractions, mixed numbers
// ("1 1/2", "1½", "1-1/2"), ranges ("1-2", "1 to 2"), and "a"/"an" for one,
// followed by a unit word; or a phrase that is no amount. Case and spacing do
// not count.
Quantity parseQuantity(QStringView text);

// Millilitres in one unit of a volume unit ("oz" -> 29.5735), 0 for others.
double millilitresPerUnit(const QString &unit);

// Whether the parser knows this unit word (singular, plural or another
// spelling), and whether it knows this phrase.
bool isKnownUnitWord(const QString &word);
bool isKnownPhrase(const QString &phrase);

// The unit's word for an amount: "dash" for 1, "dashes" for 3; volume
// abbreviations do not change.
QString unitWordFor(const QString &unit, double amount);

// The largest volume one ingredient line may hold before it counts as a
// slip of the keyboard (999 oz): a five-litre punch bowl.
inline constexpr double kMostMillilitresPerLine = 5000;

} // namespace pv
