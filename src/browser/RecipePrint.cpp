#include "RecipePrint.h"

#include "ui/PageFile.h"
#include "ui/ScreenView.h"
#include "ui/Twips.h"

#include <QLocale>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTextEdit>

#include <dlfcn.h>

namespace pv
{

TextWidth screenTextWidth(const QFont &font)
{
    const QFontMetricsF metrics(font);
    return [metrics](const QString &text) { return metrics.horizontalAdvance(text) * kTwipsPerPixel; };
}

// --- PrinterLinePrinter -------------------------------------------------------

PrinterLinePrinter::PrinterLinePrinter(QPrinter &printer) : m_printer(printer) {}

PrinterLinePrinter::~PrinterLinePrinter()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool PrinterLinePrinter::ensureStarted()
{
    if (m_failed)
        return false;
    if (m_started)
        return true;
    if (!m_painter.begin(&m_printer)) {
        m_failed = true;
        return false;
    }
    m_started = true;
    m_font = m_painter.font();
    if (!m_picture.isEmpty()) {
        QSvgRenderer picture(m_picture);
        if (picture.isValid()) {
            const double dpi = m_printer.resolution();
            const QRectF box(m_printer.width() - 1.6 * dpi, 1.1 * dpi, 1.6 * dpi, 2.4 * dpi);
            picture.setAspectRatioMode(Qt::KeepAspectRatio);
            picture.render(&m_painter, box);
        }
    }
    return true;
}

void PrinterLinePrinter::setFontSize(int points)
{
    m_points = points;
}

void PrinterLinePrinter::setFontBold(bool on)
{
    m_bold = on;
}

void PrinterLinePrinter::printLine(const QString &text)
{
    if (!ensureStarted())
        return;
    QFont font = m_font;
    if (m_points > 0)
        font.setPointSize(m_points);
    font.setBold(m_bold);
    m_painter.setFont(font);

    // A line break inside an item starts a new line on paper, as it would on
    // a line printer; the item still ends its own line.
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|[\n\r\v\f\u2028\u2029]"));
    for (const QString &piece : text.split(lineBreak))
        drawOneLine(piece);
}

void PrinterLinePrinter::drawOneLine(const QString &text)
{
    if (m_failed)
        return;
    const QFontMetrics metrics(m_painter.font(), &m_printer);
    if (m_y > 0 && m_y + metrics.lineSpacing() > m_printer.height()) {
        if (!m_printer.newPage()) {
            m_failed = true;
            return;
        }
        m_y = 0;
    }
    m_painter.drawText(QPointF(0, m_y + metrics.ascent()), text);
    m_y += metrics.lineSpacing();
}

void PrinterLinePrinter::endDoc()
{
    if (m_painter.isActive() && !m_painter.end())
        m_failed = true;
}

// --- The main window's boxes ----------------------------------------------------

namespace
{

QString boxText(const QWidget *window, int index)
{
    const QWidget *box = window->findChild<QWidget *>(QStringLiteral("txtFields(%1)").arg(index));
    if (auto *line = qobject_cast<const QLineEdit *>(box))
        return line->text();
    if (auto *plain = qobject_cast<const QPlainTextEdit *>(box))
        return plain->toPlainText();
    if (auto *rich = qobject_cast<const QTextEdit *>(box))
        return rich->toPlainText();
    return QString();
}

} // namespace

RecipeText recipeFromWindow(const QWidget *window)
{
    RecipeText recipe;
    recipe.name = boxText(window, 0);
    for (int k = 1; k <= 10; ++k) {
        recipe.quantities[k - 1] = boxText(window, 2 * k - 1);
        recipe.ingredients[k - 1] = boxText(window, 2 * k);
    }
    recipe.directions = boxText(window, 21);
    return recipe;
}

// --- The default printer ---------------------------------------------------------

namespace
{

// Qt hands the finished document to CUPS but drops the scheduler's answer.
// libcups keeps the status of this thread's last request, so when the CUPS
// support is loaded we ask it how the hand-over went.
QString cupsSubmissionError()
{
    void *lib = dlopen("libcups.so.2", RTLD_LAZY | RTLD_NOLOAD);
    if (!lib)
        return QString();
    using StatusFn = int (*)();
    using TextFn = const char *(*)();
    const auto status = reinterpret_cast<StatusFn>(dlsym(lib, "cupsLastError"));
    const auto text = reinterpret_cast<TextFn>(dlsym(lib, "cupsLastErrorString"));
    QString error;
    // Codes from 0x0400 up are errors: the client's, the server's and CUPS's own.
    if (status && status() >= 0x0400) {
        const char *message = text ? text() : nullptr;
        error = message && *message ? QString::fromLocal8Bit(message)
                                    : QStringLiteral("The print service refused the job.");
    }
    dlclose(lib);
    return error;
}

// A recipe from a file may hold any amount of text. A printout is held to a
// few pages: a longer text is cut, with a note saying how much was left out.
constexpr qsizetype kPrintedDirections = 20000;
constexpr qsizetype kPrintedLine = 500;

RecipeText boundedForPrint(RecipeText r)
{
    const auto cut = [](QString &s) {
        if (s.size() > kPrintedLine)
            s = s.left(kPrintedLine) + QChar(0x2026);
    };
    cut(r.name);
    for (QString &s : r.quantities)
        cut(s);
    for (QString &s : r.ingredients)
        cut(s);
    if (r.directions.size() > kPrintedDirections) {
        const qsizetype left = r.directions.size() - kPrintedDirections;
        r.directions = r.directions.left(kPrintedDirections) +
                       QStringLiteral("\n[The directions go on for %1 more characters, which are not printed.]")
                           .arg(QLocale().toString(left));
    }
    return r;
}

QString noPrinterMessage()
{
    return QStringLiteral("There is no printer to print on: no printer is installed, or the printing "
                          "service is not running.\n\n"
                          "Add a printer in the desktop's printer settings (or start the printing "
                          "service), then print again.");
}

QString noDefaultMessage(const QStringList &installed)
{
    return QStringLiteral("No printer has been chosen as the default printer, so the recipe was not "
                          "printed.\n\n"
                          "Choose one in the desktop's printer settings, or in a terminal with\n"
                          "    lpoptions -d NAME\n"
                          "where NAME is one of: %1.\n"
                          "Then print again.")
        .arg(installed.join(QStringLiteral(", ")));
}

QString failedMessage(const QString &printer, const QString &reason)
{
    return QStringLiteral("The recipe could not be printed on \"%1\".\n\n%2").arg(printer, reason);
}

} // namespace

PrintResult printToDefaultPrinter(const QString &title, const std::function<void(LinePrinter &)> &layout)
{
    const QPrinterInfo target = QPrinterInfo::defaultPrinter();
    if (target.isNull()) {
        const QStringList installed = QPrinterInfo::availablePrinterNames();
        if (installed.isEmpty()) {
            Screen().MsgBox(noPrinterMessage());
            return PrintResult::NoPrinter;
        }
        Screen().MsgBox(noDefaultMessage(installed));
        return PrintResult::NoDefault;
    }

    QPrinter printer(target, QPrinter::HighResolution);
    printer.setDocName(title);
    PrinterLinePrinter out(printer);
    layout(out);

    QString problem;
    if (!out.ok())
        problem = QStringLiteral("The printer could not take the document.");
    else if (printer.outputFormat() == QPrinter::NativeFormat)
        problem = cupsSubmissionError();
    if (!problem.isEmpty()) {
        Screen().MsgBox(failedMessage(target.printerName(), problem));
        return PrintResult::Failed;
    }
    return PrintResult::Printed;
}

PrintResult printRecipeToDefaultPrinter(const RecipeText &whole, const QFont &measureFont, double limitTwips)
{
    const RecipeText recipe = boundedForPrint(whole);
    const QString title =
        recipe.name.isEmpty() ? Screen().App().Title : Screen().App().Title + QStringLiteral(" - ") + recipe.name;
    return printToDefaultPrinter(
        title, [&](LinePrinter &out) { layoutRecipe(recipe, screenTextWidth(measureFont), limitTwips, out); });
}

bool saveRecipePdf(const RecipeText &whole, const QFont &measureFont, double limitTwips,
                   const QString &glassPicture, const QString &fileName, QString *error)
{
    const RecipeText recipe = boundedForPrint(whole);
    return writeFileWhole(fileName, [&](const QString &path) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        // A printer keeps its own margins; a page of our own gets ones that look printed.
        printer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
        printer.setDocName(recipe.name.isEmpty() ? Screen().App().Title
                                                 : Screen().App().Title + QStringLiteral(" - ") + recipe.name);
        printer.setCreator(Screen().App().Title);
        PrinterLinePrinter out(printer);
        out.setPicture(glassPicture);
        layoutRecipe(recipe, screenTextWidth(measureFont), limitTwips, out);
        return out.ok();
    }, error);
}

PrintResult printRecipeToDefaultPrinter(const QWidget *mainWindow)
{
    // Directions are measured in the hidden measuring box, in the window's
    // font, and wrapped to its width.
    const QWidget *measure = mainWindow->findChild<QWidget *>(QStringLiteral("Picture1"));
    const QFont font = measure ? measure->font() : mainWindow->font();
    const double limit = measure ? pxToTwips(measure->width()) : kRecipeMeasureWidth;
    return printRecipeToDefaultPrinter(recipeFromWindow(mainWindow), font, limit);
}

} // namespace pv
