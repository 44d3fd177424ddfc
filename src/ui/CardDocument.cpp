#include "ui/CardDocument.h"
#include "ui/PageFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgRenderer>
#include <QTextDocument>
#include <QUrl>


namespace pv {

namespace {

// A card holds what a page can: a longer text from a file is cut, as the
// printout cuts it, before it is laid out (megabytes in one paragraph would
// hold the window for minutes).
constexpr qsizetype kCardLine = 500;
constexpr qsizetype kCardDirections = 20000;

QString esc(const QString &s)
{
    return (s.size() > kCardLine ? s.left(kCardLine) + QChar(0x2026) : s).toHtmlEscaped();
}

QString directionsHtml(const QString &d)
{
    QString shown = d.left(kCardDirections).toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    if (d.size() > kCardDirections)
        shown += QStringLiteral("<br><i>[The directions go on for %1 more characters, which are not shown.]</i>")
                     .arg(QLocale().toString(d.size() - kCardDirections));
    return shown;
}

QString choicesLine(const RecipeCard &card, const CardOptions &o)
{
    QString units = o.units == UnitChoice::AsWritten ? QStringLiteral("amounts as written")
                                                     : QStringLiteral("amounts in ") + unitChoiceName(o.units);
    if (o.batchMl > 0)
        return QStringLiteral("Batched for %1 (about %2 glasses), %3.")
            .arg(showVolume(o.batchMl, UnitChoice::Ml), QString::number(card.servings, 'f', 1), units);
    if (o.servings > 1)
        return QStringLiteral("For %1 servings, %2.").arg(o.servings).arg(units);
    return QStringLiteral("For one serving, %1.").arg(units);
}

} // namespace

QString glassPicturePath(const QString &glass)
{
    QString file = glass.trimmed().toLower();
    file.remove(QLatin1Char(' '));
    file.remove(QLatin1Char('-'));
    if (file == QLatin1String("shot"))
        file = QStringLiteral("shotglass");
    if (file.isEmpty())
        return QString();
    const QString path = QStringLiteral(":/pictures/glasses/%1.svg").arg(file);
    return QFile::exists(path) ? path : QString();
}

QString cardHtml(const RecipeCard &card, const CardOptions &o, const CardDocumentParts &parts)
{
    QString h;
    h += QStringLiteral("<h1>%1</h1>").arg(card.name.trimmed().isEmpty() ? QStringLiteral("(no name)")
                                                                         : esc(card.name));
    QStringList about;
    if (!card.glass.trimmed().isEmpty())
        about << QStringLiteral("Glass: %1").arg(esc(card.glass.trimmed()));
    if (!card.categories.isEmpty())
        about << esc(card.categories.join(QStringLiteral(" \u00B7 ")));
    if (!about.isEmpty())
        h += QStringLiteral("<p>%1</p>").arg(about.join(QStringLiteral("<br>")));
    if (parts.choices)
        h += QStringLiteral("<p><i>%1</i></p>").arg(esc(choicesLine(card, o)));

    h += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\">");
    for (const CardLine &l : card.lines)
        h += QStringLiteral("<tr><td style=\"padding-right:12px\"><b>%1</b></td><td>%2</td></tr>")
                 .arg(esc(l.amount), esc(l.ingredient));
    h += QStringLiteral("</table>");

    h += QStringLiteral("<h3>Directions</h3><p>%1</p>").arg(directionsHtml(card.directions));

    if (parts.strength) {
        h += QStringLiteral("<h3>Strength (an estimate)</h3><p>");
        h += QStringLiteral("Method: %1<br>").arg(methodName(card.method.method));
        if (card.volumeMl > 0)
            h += QStringLiteral("Volume: %1 a glass<br>").arg(esc(showVolume(card.volumeMl, o.units)));
        if (card.strengthKnown) {
            h += QStringLiteral("Strength: <b>%1</b><br>").arg(esc(card.strengthLine(o.units)));
            h += esc(card.standardLine(o.standard)).replace(QLatin1Char('\n'), QStringLiteral("<br>"));
        } else {
            h += QStringLiteral("<b>%1</b>").arg(esc(card.strengthLine(o.units)));
        }
        h += QStringLiteral("</p>");
        if (!card.notes.isEmpty()) {
            h += QStringLiteral("<p><small>");
            for (const QString &n : card.notes)
                h += esc(n) + QStringLiteral("<br>");
            h += QStringLiteral("Strengths are typical ones for each kind of bottle; yours may differ.</small></p>");
        } else {
            h += QStringLiteral("<p><small>Strengths are typical ones for each kind of bottle; yours may differ."
                                "</small></p>");
        }
    }
    return h;
}

bool saveCardPdf(const RecipeCard &card, const CardOptions &options, const CardDocumentParts &parts,
                 const QString &fileName, QString *error)
{
    return writeFileWhole(fileName, [&](const QString &path) {
        QPdfWriter pdf(path);
        const QLocale::Territory where = QLocale::system().territory();
        pdf.setPageSize(where == QLocale::UnitedStates || where == QLocale::Canada ? QPageSize(QPageSize::Letter)
                                                                                   : QPageSize(QPageSize::A4));
        // The document keeps margins of its own, 2 cm on every side.
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(300);
        pdf.setTitle(card.name);
        pdf.setCreator(QStringLiteral("Pourvale"));

        QTextDocument doc;
        QFont font = doc.defaultFont();
        font.setPointSizeF(11);
        doc.setDefaultFont(font);
        QString picture;
        const QString svg = glassPicturePath(card.glass);
        if (!svg.isEmpty()) {
            QSvgRenderer renderer(svg);
            if (renderer.isValid()) {
                QSize size = renderer.defaultSize().scaled(400, 600, Qt::KeepAspectRatio);
                QImage image(size, QImage::Format_ARGB32_Premultiplied);
                image.fill(Qt::transparent);
                QPainter painter(&image);
                renderer.render(&painter);
                painter.end();
                doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("pv:glass")), image);
                const QSize shown = size.scaled(150, 220, Qt::KeepAspectRatio);
                picture = QStringLiteral("<img src=\"pv:glass\" width=\"%1\" height=\"%2\">")
                              .arg(shown.width())
                              .arg(shown.height());
            }
        }
        // The picture has a column of its own, so no line runs into it.
        doc.setHtml(QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"0\"><tr>"
                                   "<td valign=\"top\">%1</td><td width=\"30%\" valign=\"top\" align=\"right\">%2"
                                   "</td></tr></table>")
                        .arg(cardHtml(card, options, parts), picture));
        doc.print(&pdf);
        return true;
    }, error);
}

} // namespace pv
