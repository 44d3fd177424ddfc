#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <functional>

namespace pv
{

// The recipe as the main window's boxes hold it at the moment of printing.
struct RecipeText {
    QString name;
    std::array<QString, 10> quantities;
    std::array<QString, 10> ingredients;
    QString directions;
};

// Where the printed lines go: the printer, a PDF file, or a test's record.
// Every printed item ends its line.
class LinePrinter
{
public:
    virtual ~LinePrinter() = default;
    virtual void setFontSize(int points) = 0;
    virtual void setFontBold(bool on) = 0;
    virtual void printLine(const QString &text) = 0;
    // Ends the document, which hands it to the printer.
    virtual void endDoc() = 0;
};

// Width of a text in twips, in the font the lines are measured in.
using TextWidth = std::function<double(const QString &)>;

// Breaks the directions into lines no wider than `limit` where a space allows
// it. A candidate line is measured with its trailing space and still fits at
// exactly `limit`; the words after the last space go whole onto the last
// line; a word too wide by itself gets a line of its own. An empty text is
// one empty line. Only spaces break lines: line breaks and tabs do not.
QStringList wrapDirections(const QString &text, const TextWidth &textWidth, double limit);

// Sends the whole printed recipe to `out`, ending the document.
void layoutRecipe(const RecipeText &recipe, const TextWidth &textWidth, double limit, LinePrinter &out);

} // namespace pv
