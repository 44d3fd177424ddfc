#include "app/HelpBrowser.h"

#include <QEvent>
#include <QHelpEngineCore>
#include <QTextCursor>
#include <QTextDocument>

namespace pv
{

HelpBrowser::HelpBrowser(QWidget *parent) : QTextBrowser(parent) {}

QVariant HelpBrowser::loadResource(int type, const QUrl &name)
{
    if (m_engine && name.scheme() == QLatin1String("qthelp")) {
        QByteArray data = m_engine->fileData(name);
        if (type == QTextDocument::StyleSheetResource && darkPages())
            data += '\n' + m_engine->fileData(name.resolved(QUrl(QStringLiteral("help-dark.css"))));
        return data;
    }
    // Pages come from the help file only: no picture or style sheet of a
    // page reaches into the disk or the program's resources.
    return QVariant();
}

bool HelpBrowser::darkPages() const
{
    return palette().color(QPalette::Text).lightness() > palette().color(QPalette::Base).lightness();
}

bool HelpBrowser::focusNextPrevChild(bool next)
{
    // Tab and Shift+Tab step through the page's links and then leave the
    // page. On a page that begins with a link, Shift+Tab would pick that
    // first link again and again and never leave; it leaves instead.
    const QTextCursor before = textCursor();
    if (!QTextBrowser::focusNextPrevChild(next))
        return false;
    const QTextCursor after = textCursor();
    if (!before.hasSelection() || before.selectionStart() != after.selectionStart()
        || before.selectionEnd() != after.selectionEnd())
        return true;
    QTextCursor plain = after;
    plain.clearSelection();
    setTextCursor(plain);
    return QTextEdit::focusNextPrevChild(next);
}

void HelpBrowser::changeEvent(QEvent *event)
{
    QTextBrowser::changeEvent(event);
    // The page on view takes the colours of the new theme.
    if (event->type() == QEvent::PaletteChange && !source().isEmpty())
        reload();
}

} // namespace pv
