// A party planned as a person would: the shelf in My Bar, View > Party
// Menu..., drinks ticked and unticked, guests and drinks each typed, the
// servings shared out, and the menu card and the shopping list saved as PDF
// and read back with pdftotext.
#include "TestSupport.h"

#include "browser/frmMain.h"
#include "mybar/MyBar.h"
#include "mybar/frmPartyMenu.h"
#include "ui/FileChooser.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTreeWidget>

using pv::Screen;

namespace {

QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList ticked(QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            out << list->item(i)->text();
    return out;
}

// "Negroni=5, ..." as the menu shows it.
QString servings(QTreeWidget *menu)
{
    QStringList out;
    for (int i = 0; i < menu->topLevelItemCount(); ++i)
        out << menu->topLevelItem(i)->text(0) + QLatin1Char('=') + menu->topLevelItem(i)->text(1);
    return out.join(QStringLiteral(", "));
}

void typeInto(QSpinBox *spin, const QString &value)
{
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, value);
}

} // namespace

class TestPartyMenu : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void partyFromPickToPdf();
};

void TestPartyMenu::partyFromPickToPdf()
{
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
             "pdftotext is missing (scripts/install-deps installs poppler-utils)");
    QSettings(QStringLiteral("Pourvale"), QStringLiteral("Pourvale")).clear();
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    pvtest::MsgRecorder msgs;
    QTemporaryDir out;
    pv::BarShelf shelf;
    shelf.have = {QStringLiteral("Gin"), QStringLiteral("Campari"), QStringLiteral("Sweet Vermouth"),
                  QStringLiteral("Tonic Water"), QStringLiteral("Angostura Bitters")};
    pv::saveShelf(shelf);

    auto *main = Screen().Load<frmMain>();
    Screen().Show(main);
    for (int i = 0; i < 50 && !main->Data1->cursor(); ++i)
        QTest::qWait(10);
    QAction *command = main->findChild<QAction *>(QStringLiteral("mnuPartyMenu"));
    QVERIFY(command);
    command->trigger();
    auto *w = qobject_cast<frmPartyMenu *>(QApplication::activeWindow() && QApplication::activeWindow()->objectName() ==
                                                   QLatin1String("frmPartyMenu")
                                               ? QApplication::activeWindow()
                                               : nullptr);
    if (!w)
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *p = qobject_cast<frmPartyMenu *>(top))
                w = p;
    QVERIFY(w);

    // What the shelf makes now is offered, and picked.
    QCOMPARE(ticked(w->lstOffered),
             (QStringList{QStringLiteral("Gin and Tonic"), QStringLiteral("Negroni"), QStringLiteral("Pink Gin")}));
    QCOMPARE(servings(w->lstMenu), QStringLiteral("Gin and Tonic=8, Negroni=8, Pink Gin=8"));
    QVERIFY(w->shopping().items.isEmpty()); // the shelf holds all of it

    // Picked from all drinks instead: six, each of another base while they last; Cuba Libre unticked by key.
    w->cboFrom->setCurrentIndex(w->cboFrom->findText(QStringLiteral("All drinks")));
    QCOMPARE(ticked(w->lstOffered).size(), 6);
    const QList<QListWidgetItem *> cuba = w->lstOffered->findItems(QStringLiteral("Cuba Libre"), Qt::MatchExactly);
    QCOMPARE(cuba.size(), 1);
    w->lstOffered->setFocus();
    w->lstOffered->setCurrentItem(cuba.first());
    QTest::keyClick(w->lstOffered, Qt::Key_Space);
    QCOMPARE(cuba.first()->checkState(), Qt::Unchecked);

    // 12 guests, 2 each: 24 servings over 5 drinks, the first ones taking the rest.
    typeInto(w->spnGuests, QStringLiteral("12"));
    typeInto(w->spnPerGuest, QStringLiteral("2"));
    QCOMPARE(servings(w->lstMenu),
             QStringLiteral("Bee's Knees=5, Gin and Tonic=5, Manhattan=5, Negroni=5, Shirley Temple=4"));
    QVERIFY(w->lblShare->text().contains(QLatin1String("= 24 drinks")));
    const QString list = w->txtShopping->toPlainText();
    QVERIFY2(list.contains(QLatin1String("Shopping list for 24 servings of 5 drinks")), qPrintable(list));
    QVERIFY2(list.contains(QLatin1String("Rye Whiskey: 1 bottle (750 ml)")), qPrintable(list));
    QVERIFY2(list.contains(QLatin1String("Lemons: ")), qPrintable(list));
    QVERIFY2(!list.contains(QLatin1String("  Gin:")), qPrintable(list)); // on the shelf

    QTest::keyClicks(w->txtSubtitle, QStringLiteral("at Sam's, 12 December"));
    w->txtTitle->selectAll();
    QTest::keyClicks(w->txtTitle, QStringLiteral("Friday Night"));

    const QString cardPdf = out.filePath(QStringLiteral("card.pdf"));
    const QString listPdf = out.filePath(QStringLiteral("list.pdf"));
    QString next = cardPdf;
    const pv::FileChooserHandler before = pv::setFileChooser([&next](const pv::FileRequest &) { return next; });
    QTest::mouseClick(w->cmdSaveCardPdf, Qt::LeftButton);
    next = listPdf;
    QTest::mouseClick(w->cmdSaveListPdf, Qt::LeftButton);
    pv::setFileChooser(before);
    QVERIFY2(msgs.calls.isEmpty(), qPrintable(msgs.last()));

    const QString card = pdfText(cardPdf).simplified();
    // The title is set in spaced capitals, which the text read back spaces too.
    QVERIFY2(QString(card).remove(QLatin1Char(' ')).contains(QLatin1String("FRIDAYNIGHT"), Qt::CaseInsensitive),
             qPrintable(card));
    QVERIFY2(card.contains(QLatin1String("at Sam's, 12 December")), qPrintable(card));
    for (const char *name : {"Bee's Knees", "Gin and Tonic", "Manhattan", "Negroni", "Shirley Temple"})
        QVERIFY2(card.contains(QLatin1String(name)), name);
    QVERIFY2(card.contains(QString::fromUtf8("Gin \u00B7 Campari \u00B7 Sweet Vermouth")), qPrintable(card));
    QVERIFY(!card.contains(QLatin1String("Cuba Libre")));
    const QString shopping = pdfText(listPdf).simplified();
    QVERIFY2(shopping.contains(QLatin1String("Shopping list for 24 servings of 5 drinks")), qPrintable(shopping));
    QVERIFY2(shopping.contains(QLatin1String("Rye Whiskey: 1 bottle (750 ml)")), qPrintable(shopping));
    pvtest::unloadAll();
}

PV_TEST_MAIN(TestPartyMenu)
#include "tst_partymenu.moc"
