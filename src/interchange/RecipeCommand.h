#pragma once

#include "data/Amounts.h"

#include <QString>

class QTextStream;

namespace pv::interchange {

// --recipe NAME: the drink's card as plain text on `out`. NAME is matched
// without regard to case or accents, an exact name first, else the first
// drink in table order whose name holds it; when several match, `err` says
// which one was shown. 1 when no drink matches or the catalogue cannot be
// read.
int runRecipe(const QString &name, int servings, UnitChoice units, const QString &catalogue, QTextStream &out,
              QTextStream &err);

} // namespace pv::interchange
