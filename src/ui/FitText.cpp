#include "ui/FitText.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace pv
{

namespace
{

// The label's room for text besides the text itself: frame, margins.
QSize labelChrome(const QLabel *label)
{
    return label->size() - label->contentsRect().size() + QSize(2 * label->margin(), 2 * label->margin());
}

// Width the caption needs in `font` more than its control offers; 0 or less
// when it fits.
int overflow(QWidget *control, const QFont &font)
{
    const QFontMetrics fm(font);
    if (auto *b = qobject_cast<QPushButton *>(control)) {
        QStyleOptionButton option;
        option.initFrom(b);
        option.text = b->text();
        const int room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b).width();
        return fm.size(Qt::TextShowMnemonic, b->text()).width() - room;
    }
    if (auto *l = qobject_cast<QLabel *>(control)) {
        const int room = l->width() - labelChrome(l).width();
        return fm.size(Qt::TextShowMnemonic, l->text()).width() - room;
    }
    return 0;
}

} // namespace

void fitLabelHeight(QLabel *label)
{
    const int need = label->fontMetrics().height() + labelChrome(label).height();
    if (label->height() >= need)
        return;
    const int bottom = label->y() + label->height();
    label->setGeometry(label->x(), std::max(0, bottom - need), label->width(), need);
}

int fitWrappedHeight(QLabel *label)
{
    const int need = label->heightForWidth(label->width());
    if (label->height() >= need)
        return 0;
    const int grown = need - label->height();
    label->resize(label->width(), need);
    return grown;
}

void fitCaptionsInOneSize(const QList<QWidget *> &controls)
{
    if (controls.isEmpty())
        return;
    QFont font = controls.first()->font();
    // Below four fifths of the window's size a caption is no longer easy
    // to read; past that it is left as it is.
    const qreal smallest = font.pointSizeF() * 0.8;
    auto fitsAll = [&controls](const QFont &f) {
        return std::all_of(controls.cbegin(), controls.cend(), [&f](QWidget *c) { return overflow(c, f) <= 0; });
    };
    if (font.pointSizeF() <= 0 || fitsAll(font))
        return;
    while (!fitsAll(font) && font.pointSizeF() - 0.5 >= smallest)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    for (QWidget *c : controls)
        c->setFont(font);
}

} // namespace pv
