#pragma once

#include "data/RecipeCard.h"

#include <QString>

class QPalette;

namespace pv {

// The glass picture for a glass name (any case), or an empty text.
QString glassPicturePath(const QString &glass);

// What a card document holds beyond the recipe itself.
struct CardDocumentParts {
    bool strength = true; // method, volume, strength, standard drinks, notes
    bool choices = true;  // the line saying which units and servings are shown
};

// The card as rich text, every recipe text escaped (shown as typed, never
// read as markup). The glass picture is not part of it.
QString cardHtml(const RecipeCard &card, const CardOptions &options, const CardDocumentParts &parts = {});

// Writes the card as a one-column PDF page with margins: the name as the
// heading, the glass picture beside the text (never under it), then the
// rest. The file appears whole or not at all.
bool saveCardPdf(const RecipeCard &card, const CardOptions &options, const CardDocumentParts &parts,
                 const QString &fileName, QString *error);

} // namespace pv
