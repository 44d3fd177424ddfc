#include "ui/CutTextTip.h"

#include <QEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextDocument>

namespace pv {

namespace {

void update(QLineEdit *box)
{
    const QString text = box->text();
    QStyleOptionFrame option;
    option.initFrom(box);
    option.lineWidth = box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    const QRect room = box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box);
    // Two pixels of the box's own margin on either side.
    const bool cut = box->fontMetrics().horizontalAdvance(text) > room.width() - 4;
    // Escaped and set as markup, so no text is ever read as markup itself.
    // Up to a line's worth it stays on one line; a longer text wraps.
    const Qt::WhiteSpaceMode wrap = text.size() <= 80 ? Qt::WhiteSpaceNoWrap : Qt::WhiteSpaceNormal;
    box->setToolTip(cut ? Qt::convertFromPlainText(text, wrap) : QString());
}

class Watcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize || event->type() == QEvent::FontChange)
            update(static_cast<QLineEdit *>(watched));
        return false;
    }
};

} // namespace

void showCutTextInToolTip(QLineEdit *box)
{
    box->installEventFilter(new Watcher(box));
    QObject::connect(box, &QLineEdit::textChanged, box, [box] { update(box); });
    update(box);
}

} // namespace pv
