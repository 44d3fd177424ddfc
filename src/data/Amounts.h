#pragma once

#include "data/Quantity.h"

#include <QString>

namespace pv {

// "Show amounts in": the units a card shows its volumes in.
enum class UnitChoice { AsWritten, Oz, Ml, Cl };

// "as written", "oz", "ml", "cl", as the setting and the command line spell them.
QString unitChoiceName(UnitChoice units);
bool unitChoiceFromName(const QString &name, UnitChoice *units);

// A number as a bartender writes it: whole numbers and quarters as
// fractions ("1½", "¾"), or decimals ("2.5") when `fractions` is false.
QString formatAmount(double value, bool fractions);

// The amount of `typed` scaled by `factor` and shown in `units`, rounded to
// what a bartender measures: ¼ oz, 5 ml (2.5 ml under 20 ml), ½ cl. Dashes,
// drops, counts and parts keep their unit; a volume whose rounding would
// change it by more than a fifth keeps its written unit too (1 tsp does not
// become ¼ oz). Texts that are no usable amount come back as typed.
// A part is `partMl` millilitres, shown after the parts: "2 parts (60 ml)".
QString showAmount(const QString &typed, const Quantity &q, double factor, UnitChoice units, double partMl = 0);

// A volume in millilitres, shown in `units` (as written shows ml, or oz
// when `preferOz`), rounded the same way: "105 ml", "3½ oz".
QString showVolume(double ml, UnitChoice units, bool preferOz = false);

} // namespace pv
