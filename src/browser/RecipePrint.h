#pragma once

#include "browser/RecipeLayout.h"

#include <QFont>
#include <QPainter>
#include <QString>

class QPrinter;
class QWidget;

namespace pv
{

// The width of the hidden measuring box of the main window, in twips: the
// directions are wrapped to it.
inline constexpr double kRecipeMeasureWidth = 4155;

// Text widths in twips as `font` lays the text out on the screen.
TextWidth screenTextWidth(const QFont &font);

// Prints lines on a QPrinter (a real printer or a PDF file): one line below
// the other, spaced as the printer's own metrics of the current font say, a
// new page when the next line would not fit. The face is the printer's
// default; only the size and the weight change.
class PrinterLinePrinter : public LinePrinter
{
public:
    explicit PrinterLinePrinter(QPrinter &printer);
    ~PrinterLinePrinter() override;

    void setFontSize(int points) override;
    void setFontBold(bool on) override;
    void printLine(const QString &text) override;
    void endDoc() override;

    // A picture (an SVG file or resource) drawn at the right of the first
    // page, beside the ingredients.
    void setPicture(const QString &svgPath) { m_picture = svgPath; }

    // False when the printer could not start the document or a new page;
    // everything printed after that is dropped.
    bool ok() const { return !m_failed; }

private:
    bool ensureStarted();
    void drawOneLine(const QString &text);

    QPrinter &m_printer;
    QPainter m_painter;
    QFont m_font;
    int m_points = 12;
    bool m_bold = false;
    bool m_started = false;
    bool m_failed = false;
    double m_y = 0; // top of the next line, in device pixels
    QString m_picture;
};

// The recipe in the main window's boxes (txtFields(0) to txtFields(21)), as
// they stand, unsaved edits included.
RecipeText recipeFromWindow(const QWidget *window);

// What became of a print.
enum class PrintResult {
    Printed,   // handed to the printer
    NoPrinter, // no printer installed, or no print service to ask
    NoDefault, // printers exist but none is the default
    Failed,    // the job could not be made or sent
};

// Prints what `layout` writes on the default printer at once, with no
// dialog, under the document name `title`. Every failure is told in a
// message box.
PrintResult printToDefaultPrinter(const QString &title, const std::function<void(LinePrinter &)> &layout);

// Prints the recipe shown in the main window on the default printer at once,
// with no dialog. Every failure is told in a message box.
PrintResult printRecipeToDefaultPrinter(const QWidget *mainWindow);
PrintResult printRecipeToDefaultPrinter(const RecipeText &recipe, const QFont &measureFont,
                                        double limitTwips = kRecipeMeasureWidth);

// Writes the recipe as a PDF file in the printed layout, with the glass
// picture when one is given. The file appears whole or not at all; false
// with `error` set when it cannot be written.
bool saveRecipePdf(const RecipeText &recipe, const QFont &measureFont, double limitTwips,
                   const QString &glassPicture, const QString &fileName, QString *error);

} // namespace pv
