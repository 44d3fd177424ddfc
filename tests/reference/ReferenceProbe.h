#pragma once

// Helpers shared by the reference window tests: open a window as the main
// window does, click a name or button as a person would, and read what the
// window shows.

#include "TestSupport.h"
#include "reference/ReferencePanel.h"

#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QSet>
#include <QTextBlock>
#include <QTextDocument>

#include <cstddef>

namespace refprobe {

// One field of every row of a test's table, in the table's order.
template <class Row, std::size_t N>
QStringList namesOf(const Row (&rows)[N], const char *Row::*field)
{
    QStringList out;
    for (const Row &row : rows)
        out << QString::fromLatin1(row.*field);
    return out;
}

template <class F>
F *open()
{
    F *form = pv::Screen().Load<F>();
    pv::Screen().Show(form);
    QCoreApplication::processEvents();
    return form;
}

// Unloads through the window's own Close button, then opens it again.
template <class F>
F *reopen(F *form)
{
    QTest::mouseClick(form->cmdClose, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    return open<F>();
}

inline QWidget *child(QWidget *window, const QString &name)
{
    QWidget *w = window->findChild<QWidget *>(name);
    if (!w)
        qWarning("no control named %s", qPrintable(name));
    return w;
}

inline void click(QWidget *window, const QString &name)
{
    QWidget *w = child(window, name);
    QVERIFY(w);
    QTest::mouseClick(w, Qt::LeftButton);
}

inline QString textOf(QWidget *window, const QString &name)
{
    QWidget *w = child(window, name);
    if (auto *box = qobject_cast<QPlainTextEdit *>(w))
        return box->toPlainText();
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    return QString();
}

// Places of controls that stand in columns of `rows`, read column by column:
// each column lined up on the left with every control below the one before
// it, and each column right of the one before, with the same top.
inline void checkColumns(const QList<QRect> &at, int rows)
{
    for (int i = 0; i < at.size(); ++i) {
        const int first = i - i % rows;
        QCOMPARE(at[i].x(), at[first].x());
        if (i != first) {
            QVERIFY(at[i].top() > at[i - 1].bottom());
        } else if (first > 0) {
            QVERIFY(at[first].left() > at[first - rows].right());
            QCOMPARE(at[first].top(), at[first - rows].top());
        }
    }
}

inline QString pictureOf(QWidget *window, const QString &name)
{
    auto *box = qobject_cast<pv::PictureBox *>(child(window, name));
    return box ? box->picture() : QString();
}

// The controls that come and go: every visible named control except the
// heading, the selectors (given) and the Close button.
inline QSet<QString> visibleDisplay(QWidget *window, const QStringList &selectors)
{
    QSet<QString> out;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || !w->isVisible() || name == u"Label1" || name == u"cmdClose" || selectors.contains(name))
            continue;
        if (qobject_cast<pv::PictureBox *>(w) || qobject_cast<QPlainTextEdit *>(w) || qobject_cast<QLabel *>(w))
            out.insert(name);
    }
    return out;
}

// Everything a person could see change: which controls show, where, and
// what they say.
inline QStringList snapshot(QWidget *window)
{
    QStringList out;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->objectName().isEmpty())
            continue;
        const QRect g = w->geometry();
        out << QStringLiteral("%1 visible=%2 enabled=%3 at %4,%5 %6x%7 [%8]")
                   .arg(w->objectName())
                   .arg(w->isVisible())
                   .arg(w->isEnabled())
                   .arg(g.x())
                   .arg(g.y())
                   .arg(g.width())
                   .arg(g.height())
                   .arg(textOf(window, w->objectName()));
    }
    out.sort();
    return out;
}

// What a description box holds: the document keeps each CR LF pair as one
// line break, so the designed text is compared with its pairs read that way.
inline QString asShown(const QString &designed)
{
    return QString(designed).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

inline bool hasStrayCarriageReturn(QWidget *window, const QString &name)
{
    auto *box = qobject_cast<QPlainTextEdit *>(child(window, name));
    for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next()) {
        if (b.text().contains(QLatin1Char('\r')))
            return true;
    }
    return false;
}

} // namespace refprobe
