#pragma once

#include <QKeySequence>

class QAbstractButton;

namespace pv
{

// Keys of the record buttons whose designed captions carry no access letter
// ("Beginning", "Previous", "Next", "End of List"). The keys sit on the
// buttons themselves, so the captions stay as designed; none of them is a
// text-editing key, so they work from inside every text box.
inline const QKeySequence kFirstRecordKey(Qt::ALT | Qt::Key_Home);
inline const QKeySequence kPreviousRecordKey(Qt::ALT | Qt::Key_PageUp);
inline const QKeySequence kNextRecordKey(Qt::ALT | Qt::Key_PageDown);
inline const QKeySequence kLastRecordKey(Qt::ALT | Qt::Key_End);

// Gives the four record buttons their keys.
void setRecordKeys(QAbstractButton *first, QAbstractButton *previous, QAbstractButton *next, QAbstractButton *last);

// Gives a button a key without touching its caption; its tip shows the
// caption with the key, so the key can be found with the mouse too.
void setButtonKey(QAbstractButton *button, const QKeySequence &key);

} // namespace pv
