#include "reference/ReferencePanel.h"

#include "ui/ScreenView.h"
#include "ui/FitText.h"
#include "ui/Twips.h"

#include <QAccessibleWidget>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QSvgRenderer>

namespace pv {

// --- ClickLabel ----------------------------------------------------------------

namespace {

// What assistive tools are told of a ClickLabel: a button named by its text
// that they can press.
class ClickLabelAccessible : public QAccessibleWidget {
public:
    explicit ClickLabelAccessible(ClickLabel *label) : QAccessibleWidget(label, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<ClickLabel *>(widget())->text().remove(QLatin1Char('&'));
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction())
            static_cast<ClickLabel *>(widget())->activate();
    }
};

QAccessibleInterface *clickLabelAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String(ClickLabel::staticMetaObject.className()) && object && object->isWidgetType())
        return new ClickLabelAccessible(static_cast<ClickLabel *>(object));
    return nullptr;
}

} // namespace

ClickLabel::ClickLabel(QWidget *parent) : ClickLabel(QString(), parent) {}

ClickLabel::ClickLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    static const bool installed = [] {
        QAccessible::installFactory(clickLabelAccessible);
        return true;
    }();
    (void)installed;
    setFocusPolicy(Qt::StrongFocus);
}

void ClickLabel::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            activate();
            return;
        }
        break;
    default:
        break;
    }
    QLabel::keyPressEvent(event);
}

void ClickLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // The text with a little room around it shows where the focus is.
    QStylePainter p(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    const int width = fontMetrics().horizontalAdvance(text()) + 6;
    option.rect = QStyle::alignedRect(layoutDirection(), alignment(), QSize(width, height()), rect()) & rect();
    option.backgroundColor = palette().color(backgroundRole());
    p.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

void ClickLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit Click();
}

// --- PictureBox ----------------------------------------------------------------

PictureBox::PictureBox(QWidget *parent) : QWidget(parent) {}

bool PictureBox::setPicture(const QString &resource)
{
    m_resource = resource;
    delete m_renderer;
    m_renderer = new QSvgRenderer(resource, this);
    update();
    return m_renderer->isValid();
}

bool PictureBox::hasPicture() const
{
    return m_renderer && m_renderer->isValid();
}

QSize PictureBox::pictureSize() const
{
    return hasPicture() ? m_renderer->defaultSize() : QSize();
}

void PictureBox::setPictureAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void PictureBox::setBackColor(const QColor &color)
{
    m_backColor = color;
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_backColor.isValid())
        p.fillRect(rect(), m_backColor);
    if (!hasPicture())
        return;
    const QSize size = pictureSize().scaled(rect().size().boundedTo(pictureSize()), Qt::KeepAspectRatio);
    const QRect target = QStyle::alignedRect(layoutDirection(), m_alignment, size, rect());
    p.setRenderHint(QPainter::Antialiasing);
    m_renderer->render(&p, target);
}

// --- ReferencePanel ----------------------------------------------------------------

void ReferencePanel::addItem(QWidget *selector, const QList<QWidget *> &display)
{
    Item item;
    item.selector = selector;
    for (QWidget *w : display)
        item.display.append(w);
    m_items.append(item);
}

QList<QWidget *> ReferencePanel::display(int index) const
{
    QList<QWidget *> out;
    for (const QPointer<QWidget> &w : m_items.at(index).display)
        out.append(w.data());
    return out;
}

int ReferencePanel::indexOf(QStringView selectorName) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items[i].selector && m_items[i].selector->objectName() == selectorName)
            return i;
    }
    return -1;
}

void ReferencePanel::select(int index)
{
    Q_ASSERT(index >= 0 && index < m_items.size());
    // Hide first, so that two items are never visible together.
    for (int i = 0; i < m_items.size(); ++i) {
        if (i == index)
            continue;
        for (const QPointer<QWidget> &w : m_items[i].display)
            w->setVisible(false);
    }
    for (const QPointer<QWidget> &w : m_items[index].display)
        w->setVisible(true);
}

void ReferencePanel::select(QStringView selectorName)
{
    const int index = indexOf(selectorName);
    Q_ASSERT_X(index >= 0, "ReferencePanel::select", "no item has this selector");
    if (index >= 0)
        select(index);
}

int ReferencePanel::shown() const
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (!m_items[i].display.isEmpty() && !m_items[i].display.first()->isHidden())
            return i;
    }
    return -1;
}

void ReferencePanel::fitSelectorCaptions() const
{
    QList<QWidget *> selectors;
    for (const Item &item : m_items)
        selectors.append(item.selector);
    fitCaptionsInOneSize(selectors);
}

QWidget *ReferencePanel::tabThroughSelectors() const
{
    for (int i = 1; i < count(); ++i)
        QWidget::setTabOrder(selector(i - 1), selector(i));
    return selector(count() - 1);
}

QWidget *ReferencePanel::tabThroughDescriptions(QWidget *previous) const
{
    for (int i = 0; i < count(); ++i) {
        for (QWidget *box : display(i)) {
            if (!qobject_cast<QPlainTextEdit *>(box))
                continue;
            QWidget::setTabOrder(previous, box);
            previous = box;
        }
    }
    return previous;
}

QRect ReferencePanel::twips(int left, int top, int width, int height)
{
    return QRect(twipsToPx(left), twipsToPx(top), twipsToPx(width), twipsToPx(height));
}

QLabel *ReferencePanel::heading(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QStringLiteral("Label1"));
    label->setGeometry(geometry);
    label->setWordWrap(true);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    // The space down to the first row leaves room for the second line a
    // larger font needs.
    fitWrappedHeight(label);
    return label;
}

QPushButton *ReferencePanel::closeButton(QWidget *parent, const QRect &geometry, std::function<void()> click)
{
    auto *button = new QPushButton(QStringLiteral("Close"), parent);
    button->setObjectName(QStringLiteral("cmdClose"));
    button->setGeometry(geometry);
    onEvent(button, &QPushButton::clicked, parent, std::move(click));
    button->setShortcut(QKeySequence::Cancel);
    return button;
}

ClickLabel *ReferencePanel::nameLabel(QWidget *parent, const char *name, const char *caption, const QRect &geometry,
                                      std::function<void()> click)
{
    auto *label = new ClickLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setGeometry(geometry);
    label->setCursor(Qt::PointingHandCursor);
    onEvent(label, &ClickLabel::Click, parent, std::move(click));
    return label;
}

QPlainTextEdit *ReferencePanel::descriptionBox(QWidget *parent, const QString &name, const QString &text,
                                               const QRect &geometry, const QString &item)
{
    auto *box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    if (!item.isEmpty())
        box->setAccessibleName(QObject::tr("%1 description").arg(item));
    // Tab leaves the box rather than typing a tab into the text.
    box->setTabChangesFocus(true);
    box->setGeometry(geometry);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The document turns each CR LF pair (and a lone CR or LF) into a
    // paragraph break, so the pairs read as line ends, not as glyphs.
    box->setPlainText(text);
    return box;
}

PictureBox *ReferencePanel::pictureBox(QWidget *parent, const QString &name, const QString &resource,
                                       const QRect &geometry, Qt::Alignment alignment)
{
    auto *box = new PictureBox(parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    box->setPictureAlignment(alignment);
    if (!box->setPicture(resource))
        qWarning("Picture %s cannot be read", qPrintable(resource));
    return box;
}

PictureBox *ReferencePanel::pictureBoxOwnSize(QWidget *parent, const QString &name, const QString &resource,
                                              const QRect &area, Qt::Alignment alignment)
{
    PictureBox *box = pictureBox(parent, name, resource, area);
    if (box->hasPicture()) {
        const QSize own = box->pictureSize();
        const QSize size = own.scaled(area.size().boundedTo(own), Qt::KeepAspectRatio);
        box->setGeometry(QStyle::alignedRect(Qt::LeftToRight, alignment, size, area));
    }
    return box;
}

QString ReferencePanel::contentText(const QString &file)
{
    QFile f(QStringLiteral(":/texts/") + file);
    if (!f.open(QIODevice::ReadOnly)) {
        qWarning("Description %s cannot be read", qPrintable(file));
        return QString();
    }
    QString text = QString::fromUtf8(f.readAll());
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

QString ReferencePanel::description(const char *quoted, const char *file)
{
    return quoted ? QString::fromUtf8(quoted) : contentText(QString::fromUtf8(file));
}

} // namespace pv
