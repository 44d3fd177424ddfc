#include "ui/PlainToolTips.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>

namespace pv {

namespace {

class ToolTipFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(watched);
        auto *help = static_cast<QHelpEvent *>(event);
        QString text;
        QRect area;
        if (auto *view = qobject_cast<QAbstractItemView *>(w->parentWidget()); view && view->viewport() == w) {
            const QModelIndex index = view->indexAt(help->pos());
            if (!index.isValid())
                return false;
            text = index.data(Qt::ToolTipRole).toString();
            area = view->visualRect(index);
        } else {
            text = w->toolTip();
        }
        if (text.isEmpty())
            return false; // Qt passes it on to the parent
        QToolTip::showText(help->globalPos(), plainToolTip(text), w, area);
        return true;
    }
};

} // namespace

QString plainToolTip(const QString &text)
{
    QString lines;
    int column = 0;
    qsizetype taken = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++taken) {
        if (taken == kToolTipChars) {
            lines += QChar(0x2026);
            break;
        }
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n')) {
            lines += c;
            column = 0;
            continue;
        }
        if (column == kToolTipLine && !c.isLowSurrogate()) {
            lines += QLatin1Char('\n');
            column = 0;
        }
        lines += c;
        ++column;
    }
    // Escaped, every character is text; the paragraph only keeps the breaks.
    QString html = lines.toHtmlEscaped();
    html.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    return QStringLiteral("<p style='white-space:pre'>") + html + QStringLiteral("</p>");
}

void installPlainToolTips(QApplication *app)
{
    static bool installed = false;
    if (installed || !app)
        return;
    installed = true;
    app->installEventFilter(new ToolTipFilter(app));
}

} // namespace pv
