#pragma once

#include <QColor>
#include <QLabel>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringView>
#include <QWidget>

#include <cstddef>
#include <functional>

class QPlainTextEdit;
class QPushButton;
class QSvgRenderer;

namespace pv {

// A label that reacts to a mouse click: pressed and released over it. It
// also takes the keyboard focus, and Space or Enter click it, so a person
// without a mouse can choose it too; assistive tools see it as a button.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget *parent = nullptr);
    explicit ClickLabel(const QString &text, QWidget *parent = nullptr);

    // Clicks the label as the mouse or the keyboard does.
    void activate() { emit Click(); }

signals:
    void Click();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_pressed = false;
};

// A picture box. With a picture it draws the SVG at its own size (smaller
// when the box is too small, never stretched) at the screen's resolution;
// without one it is a plain area filled with its back colour.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    // A resource path such as ":/pictures/glasses/pony.svg"; false when it
    // cannot be read as a picture.
    bool setPicture(const QString &resource);
    QString picture() const { return m_resource; }
    bool hasPicture() const;
    // The picture's own size in pixels; empty without a picture.
    QSize pictureSize() const;
    // Where the picture sits inside the box.
    void setPictureAlignment(Qt::Alignment alignment);
    // Fills the whole box; invalid (the default) leaves it transparent.
    void setBackColor(const QColor &color);
    QColor backColor() const { return m_backColor; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_resource;
    QSvgRenderer *m_renderer = nullptr;
    Qt::Alignment m_alignment = Qt::AlignCenter;
    QColor m_backColor;
};

// The behaviour the reference windows share: a fixed set of items, each with
// one selector and a group of display controls, of which exactly one item's
// group is visible at a time. The shown item is simply the item whose group
// is visible; nothing else records it.
class ReferencePanel {
public:
    ReferencePanel() = default;

    // Items keep the order in which they are added.
    void addItem(QWidget *selector, const QList<QWidget *> &display);
    int count() const { return int(m_items.size()); }
    QWidget *selector(int index) const { return m_items.at(index).selector; }
    QList<QWidget *> display(int index) const;
    // The item whose selector carries this objectName; -1 when none does.
    int indexOf(QStringView selectorName) const;

    // Shows the chosen item's display controls and hides every other item's.
    // Nothing else changes, so choosing the shown item again changes nothing.
    void select(int index);
    void select(QStringView selectorName);
    // The item whose display controls are not hidden; -1 before any is.
    int shown() const;
    // Selects the item whose row of the window's content table is marked
    // shownAtOpening; the rows are in the order the items were added.
    template <class Row, std::size_t N>
    void selectInitial(const Row (&rows)[N])
    {
        Q_ASSERT(int(N) == count());
        for (int i = 0; i < count(); ++i) {
            if (rows[i].shownAtOpening)
                select(i);
        }
    }

    // The selectors' captions in one size that fits each its control: the
    // window's font unless a larger desktop font would cut one off.
    void fitSelectorCaptions() const;

    // Tab goes through the selectors in the order they were added; returns
    // the last one.
    QWidget *tabThroughSelectors() const;
    // Tab goes on from `previous` through the description boxes (only the
    // shown one is reached, the hidden ones are skipped); returns the last.
    QWidget *tabThroughDescriptions(QWidget *previous) const;

    // --- Building the controls from a window's content table ---------------
    // A rectangle given in twips, in pixels.
    static QRect twips(int left, int top, int width, int height);
    // The bold heading "Label1" across the top of the window. It wraps rather
    // than losing its end in a wide font.
    static QLabel *heading(QWidget *parent, const QString &text, const QRect &geometry);
    // The window's "Close" button, cmdClose; Esc presses it too.
    static QPushButton *closeButton(QWidget *parent, const QRect &geometry, std::function<void()> click);
    // A name that a person clicks to see its item.
    static ClickLabel *nameLabel(QWidget *parent, const char *name, const char *caption, const QRect &geometry,
                                 std::function<void()> click);
    // A multi-line description box with a vertical scroll bar, editable like
    // any text box. Carriage-return line-feed pairs in the text become line
    // breaks; no stray character is shown for them. `item` names the box for
    // assistive tools ("Collins description").
    static QPlainTextEdit *descriptionBox(QWidget *parent, const QString &name, const QString &text,
                                          const QRect &geometry, const QString &item = QString());
    // The description box of a content table row (its textBox, and its text
    // or textFile).
    template <class Row>
    static QPlainTextEdit *descriptionBox(QWidget *parent, const Row &row, const QRect &geometry, const char *item)
    {
        return descriptionBox(parent, QString::fromUtf8(row.textBox), description(row.text, row.textFile), geometry,
                              QString::fromUtf8(item));
    }
    static PictureBox *pictureBox(QWidget *parent, const QString &name, const QString &resource,
                                  const QRect &geometry, Qt::Alignment alignment = Qt::AlignCenter);
    // A picture box of the picture's own size (shrunk to fit when larger),
    // placed inside the area by the alignment.
    static PictureBox *pictureBoxOwnSize(QWidget *parent, const QString &name, const QString &resource,
                                         const QRect &area, Qt::Alignment alignment);
    // A description written as a text file among the compiled-in content,
    // e.g. "glasses/Cocktail.txt"; the file's final line end is not part of
    // the text.
    static QString contentText(const QString &file);
    // A row's description: its quoted text when it has one, else its file.
    static QString description(const char *quoted, const char *file);

private:
    struct Item {
        QPointer<QWidget> selector;
        QList<QPointer<QWidget>> display;
    };
    QList<Item> m_items;
};

} // namespace pv
