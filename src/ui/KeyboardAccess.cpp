#include "ui/KeyboardAccess.h"

#include <QAbstractButton>

namespace pv
{

void setButtonKey(QAbstractButton *button, const QKeySequence &key)
{
    button->setShortcut(key);
    QString caption = button->text();
    caption.remove(QLatin1Char('&'));
    button->setToolTip(QStringLiteral("%1 (%2)").arg(caption, key.toString(QKeySequence::NativeText)));
}

void setRecordKeys(QAbstractButton *first, QAbstractButton *previous, QAbstractButton *next, QAbstractButton *last)
{
    setButtonKey(first, kFirstRecordKey);
    setButtonKey(previous, kPreviousRecordKey);
    setButtonKey(next, kNextRecordKey);
    setButtonKey(last, kLastRecordKey);
}

} // namespace pv
