#pragma once

#include <QString>

namespace pv {

// A Like pattern that matches `text` literally, letter case and accents
// aside: each letter becomes the list of every Latin letter that folds to
// the same plain spelling ("pina" -> "p[iìíîï...]n[nñńņň...]a[...]"), and
// the pattern signs * ? # [ stand for themselves. Letters typed with an
// accent widen the same way, so "Piña" and "pina" find the same names.
QString accentBlindLike(const QString &text);

} // namespace pv
