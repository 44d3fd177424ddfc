#include "mybar/PartyPages.h"

#include "browser/RecipePrint.h"
#include "ui/PageFile.h"
#include "ui/ScreenView.h"

#include <QDir>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QTextDocument>

#include <cmath>

namespace pv {

namespace {

const QColor kInk(0x2b, 0x22, 0x2a);
const QColor kAccent(0x6b, 0x23, 0x3f); // a deep wine red
const QColor kSoft(0x5e, 0x58, 0x5c);

QPageSize pageForLocale()
{
    const QLocale::Territory where = QLocale::system().territory();
    return where == QLocale::UnitedStates || where == QLocale::Canada ? QPageSize(QPageSize::Letter)
                                                                      : QPageSize(QPageSize::A4);
}

QFont serif(double points, bool bold = false, bool italic = false)
{
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setStyleHint(QFont::Serif);
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

// A thin rule with a small diamond in its middle.
void ornament(QPainter &p, QPointF centre, double halfWidth, double u)
{
    p.setPen(QPen(kAccent, 0.8 * u));
    const double d = 3.2 * u;
    p.drawLine(QPointF(centre.x() - halfWidth, centre.y()), QPointF(centre.x() - d * 2.2, centre.y()));
    p.drawLine(QPointF(centre.x() + d * 2.2, centre.y()), QPointF(centre.x() + halfWidth, centre.y()));
    QPainterPath diamond;
    diamond.moveTo(centre.x(), centre.y() - d);
    diamond.lineTo(centre.x() + d, centre.y());
    diamond.lineTo(centre.x(), centre.y() + d);
    diamond.lineTo(centre.x() - d, centre.y());
    diamond.closeSubpath();
    p.fillPath(diamond, kAccent);
}

QString plainHtml(const QString &s)
{
    return s.toHtmlEscaped();
}

} // namespace

void paintMenuCard(QPainter &p, const QRectF &page, const MenuCard &card)
{
    // Everything is measured in points and drawn in device units.
    const double u = p.device()->logicalDpiX() / 72.0;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(page, Qt::white);

    // A double frame.
    const QRectF outer = page.adjusted(26 * u, 26 * u, -26 * u, -26 * u);
    p.setPen(QPen(kAccent, 1.6 * u));
    p.drawRect(outer);
    p.setPen(QPen(kAccent, 0.6 * u));
    p.drawRect(outer.adjusted(5 * u, 5 * u, -5 * u, -5 * u));

    const QRectF inner = outer.adjusted(40 * u, 44 * u, -40 * u, -40 * u);
    double y = inner.top();

    // The title in spaced capitals.
    QFont titleFont = serif(30);
    titleFont.setLetterSpacing(QFont::PercentageSpacing, 118);
    titleFont.setCapitalization(QFont::AllUppercase);
    const QString title = card.title.simplified().isEmpty() ? QStringLiteral("Cocktails") : card.title.simplified();
    p.setFont(titleFont);
    // A long title is made smaller until it fits on its line.
    while (QFontMetricsF(titleFont, p.device()).horizontalAdvance(title) > inner.width() && titleFont.pointSizeF() > 12) {
        titleFont.setPointSizeF(titleFont.pointSizeF() - 1);
        p.setFont(titleFont);
    }
    const QFontMetricsF tm(titleFont, p.device());
    p.setPen(kAccent);
    p.drawText(QRectF(inner.left(), y, inner.width(), tm.height()), Qt::AlignHCenter | Qt::AlignTop, title);
    y += tm.height() + 4 * u;
    const QString subtitle = card.subtitle.simplified();
    if (!subtitle.isEmpty()) {
        const QFont f = serif(13, false, true);
        p.setFont(f);
        p.setPen(kSoft);
        const QRectF r(inner.left(), y, inner.width(), QFontMetricsF(f, p.device()).height() * 2.2);
        const QRectF used = p.boundingRect(r, Qt::AlignHCenter | Qt::TextWordWrap, subtitle);
        p.drawText(r, Qt::AlignHCenter | Qt::TextWordWrap, subtitle);
        y += used.height() + 2 * u;
    }
    y += 12 * u;
    ornament(p, QPointF(inner.center().x(), y), inner.width() * 0.28, u);
    y += 28 * u;

    // The drinks, in one column or two, as large as the page allows.
    const int n = int(card.drinks.size());
    const int columns = n > 9 ? 2 : 1;
    const double gapX = 24 * u;
    const double colWidth = (inner.width() - gapX * (columns - 1)) / columns;
    const double bottom = inner.bottom() - 34 * u;
    double nameSize = 22;
    auto entryHeight = [&](int i, double size) {
        const QFont nf = serif(size, true);
        const QFont lf = serif(size * 0.62, false, true);
        const QFontMetricsF nm(nf, p.device());
        const QFontMetricsF lm(lf, p.device());
        const QRectF lr = lm.boundingRect(QRectF(0, 0, colWidth, 10000), Qt::AlignHCenter | Qt::TextWordWrap,
                                          card.drinks[i].second);
        return nm.height() + (card.drinks[i].second.isEmpty() ? 0 : lr.height() + 2 * u) + size * 1.05 * u;
    };
    auto fits = [&](double size) {
        for (int c = 0; c < columns; ++c) {
            double h = 0;
            for (int i = c; i < n; i += columns)
                h += entryHeight(i, size);
            if (y + h > bottom)
                return false;
        }
        return true;
    };
    while (nameSize > 7 && !fits(nameSize))
        nameSize -= 0.5;

    for (int c = 0; c < columns; ++c) {
        double total = 0;
        int rows = 0;
        for (int i = c; i < n; i += columns) {
            total += entryHeight(i, nameSize);
            ++rows;
        }
        // A short list is spread out a little and stands in the upper middle
        // of the space, not at its top.
        const double extra = std::max(0.0, bottom - y - total);
        const double spread = rows > 1 ? std::min(extra / (rows + 1), 26 * u) : 0;
        double cy = y + (extra - spread * (rows - 1)) * 0.4;
        const double x = inner.left() + c * (colWidth + gapX);
        for (int i = c; i < n; i += columns) {
            const QFont nf = serif(nameSize, true);
            const QFont lf = serif(nameSize * 0.62, false, true);
            const QFontMetricsF nm(nf, p.device());
            p.setFont(nf);
            p.setPen(kInk);
            const QString name = QFontMetricsF(nf, p.device()).elidedText(card.drinks[i].first.simplified(),
                                                                          Qt::ElideRight, colWidth);
            p.drawText(QRectF(x, cy, colWidth, nm.height()), Qt::AlignHCenter | Qt::AlignTop, name);
            cy += nm.height();
            if (!card.drinks[i].second.isEmpty()) {
                p.setFont(lf);
                p.setPen(kSoft);
                const QRectF r(x, cy + 1 * u, colWidth, 10000);
                const QRectF used = p.boundingRect(r, Qt::AlignHCenter | Qt::TextWordWrap, card.drinks[i].second);
                p.drawText(r, Qt::AlignHCenter | Qt::TextWordWrap, card.drinks[i].second);
                cy += used.height() + 2 * u;
            }
            cy += nameSize * 1.05 * u + spread;
        }
    }
    ornament(p, QPointF(inner.center().x(), inner.bottom() - 8 * u), inner.width() * 0.12, u);
    p.restore();
}

bool saveMenuCardPdf(const MenuCard &card, const QString &fileName, QString *error)
{
    return writeFileWhole(fileName, [&](const QString &path) {
        QPdfWriter pdf(path);
        pdf.setPageSize(pageForLocale());
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(300);
        pdf.setTitle(card.title.simplified().isEmpty() ? QStringLiteral("Cocktails") : card.title.simplified());
        pdf.setCreator(QStringLiteral("Pourvale"));
        QPainter p;
        if (!p.begin(&pdf))
            return false;
        paintMenuCard(p, QRectF(QPointF(0, 0), QSizeF(pdf.width(), pdf.height())), card);
        return p.end();
    }, error);
}

bool saveShoppingListPdf(const QStringList &lines, const QString &fileName, QString *error)
{
    QString html = QStringLiteral("<h2>%1</h2>").arg(plainHtml(lines.value(0)));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString &l = lines[i];
        if (l.isEmpty())
            html += QStringLiteral("<p style=\"margin:0\">&nbsp;</p>");
        else if (i == 1) // what the sizes are
            html += QStringLiteral("<p style=\"margin:0\"><i>%1</i></p>").arg(plainHtml(l));
        else if (l.startsWith(QLatin1String("  ")))
            html += QStringLiteral("<p style=\"margin:0 0 0 18px\">\u2610 %1</p>").arg(plainHtml(l.trimmed()));
        else
            html += QStringLiteral("<p style=\"margin:0\"><b>%1</b></p>").arg(plainHtml(l));
    }
    return writeFileWhole(fileName, [&](const QString &path) {
        QPdfWriter pdf(path);
        pdf.setPageSize(pageForLocale());
        pdf.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
        pdf.setResolution(300);
        pdf.setTitle(lines.value(0));
        pdf.setCreator(QStringLiteral("Pourvale"));
        QTextDocument doc;
        QFont font = doc.defaultFont();
        font.setPointSizeF(11);
        doc.setDefaultFont(font);
        doc.setHtml(html);
        doc.print(&pdf);
        return true;
    }, error);
}

void printShoppingList(const QStringList &lines)
{
    printToDefaultPrinter(Screen().App().Title + QStringLiteral(" - Shopping List"), [&lines](LinePrinter &out) {
        out.setFontSize(14);
        out.setFontBold(true);
        out.printLine(lines.value(0));
        out.setFontSize(11);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            out.setFontBold(i > 1 && !lines[i].isEmpty() && !lines[i].startsWith(QLatin1String("  ")));
            out.printLine(lines[i]);
        }
        out.endDoc();
    });
}

} // namespace pv
