#pragma once

#include "data/JetLike.h"

#include <QString>

namespace pv {

// A find criterion of the form  Field Like 'pattern'  (or "pattern"). The
// literal's doubled quotes are undone here; the text never reaches SQL.
struct Criterion {
    QString field;
    LikePattern pattern;

    // Throws DataError(ErrSyntax) when the text is not such a criterion and
    // DataError(ErrInvalidPattern) when the pattern is malformed.
    static Criterion parse(const QString &text);
};

// Quotes `text` for use inside a '...' literal (apostrophes doubled).
QString quoteSqlLiteral(const QString &text);

} // namespace pv
