#pragma once

#include <QString>

namespace pv {

// A text as a search compares it: accents dropped, case folded, runs of
// white space made one space, ends trimmed. "  Piña  COLADA" -> "pina colada".
// Letters that carry no separable accent fold to their plain spelling too
// (ø -> o, æ -> ae, ß -> ss), so a user typing on a plain keyboard finds them.
QString foldForSearch(const QString &text);

} // namespace pv
