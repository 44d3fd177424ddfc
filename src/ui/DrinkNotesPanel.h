#pragma once

#include "data/BarBook.h"

#include <QGroupBox>
#include <QTimer>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace pv {

// Tells every panel that a drink's notes changed, so two windows showing the
// same drink agree.
class BookNotifier : public QObject {
    Q_OBJECT
public:
    static BookNotifier &instance();
Q_SIGNALS:
    void changed(const QString &catalogue, qint64 drink);
};

// "My Notes" on a recipe card: the favourite mark, the rating, the note and
// the "I made it" log of one drink. Every change is saved at once; the note
// when typing pauses, when the panel loses focus and before another drink is
// shown.
class DrinkNotesPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit DrinkNotesPanel(QWidget *parent = nullptr);
    ~DrinkNotesPanel() override;

    // The drink shown; a negative key shows none.
    void setDrink(const QString &catalogue, qint64 drink);
    qint64 drink() const { return m_drink; }
    const DrinkNotes &notes() const { return m_notes; }
    // Saves a note still being typed. False when it could not be saved (the
    // user was told).
    bool flush();

    QCheckBox *chkFavourite = nullptr;
    QComboBox *cboRating = nullptr;
    QPlainTextEdit *txtNote = nullptr;
    QListWidget *lstMade = nullptr;
    QLineEdit *txtMadeComment = nullptr;
    QPushButton *cmdMadeIt = nullptr;
    QPushButton *cmdRemoveMade = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void reload();
    void show(const DrinkNotes &notes);
    bool save(const DrinkNotes &notes);
    void madeIt();
    void removeMade();

    QString m_catalogue;
    qint64 m_drink = -1;
    DrinkNotes m_notes;
    bool m_showing = false;
    bool m_noteDirty = false;
    QTimer m_noteTimer;
};

} // namespace pv
