#include "ReferenceProbe.h"
#include "reference/frmGlasses.h"

using namespace refprobe;

namespace {

struct G {
    const char *button, *caption, *picture, *label, *labelCaption, *textBox;
};
// Screen order: left column top to bottom, then the right column.
const G kOrder[] = {
    {"cmdBeerMug", "Beer Mug", "picBeerMug", "lblBeerMug", "Beer Mug", "txtBeerMug"},
    {"cmdBrandySnifter", "Brandy Snifter", "picBrandySnifter", "lblBrandySnifter", "Brandy Snifter",
     "txtBrandySnifter"},
    {"cmdBeerPilsner", "Beer Pilsner", "picBeerPilsner", "lblBeerPilsner", "Beer Pilsner", "txtBeerPilsner"},
    {"cmdChampagneFlute", "Champagne Flute", "picChampagneFlute", "lblChampagneFlute", "Champagne Flute",
     "txtChampagneFlute"},
    {"cmdCocktail", "Cocktail", "picCocktail", "lblCocktail", "Cocktail", "txtCocktail"},
    {"cmdCoffeeMug", "Coffee Mug", "picCoffeeMug", "lblCoffeeMug", "Coffee Mug", "txtCoffeeMug"},
    {"cmdCollins", "Collins", "picCollins", "lblCollins", "Collins", "txtCollins"},
    {"cmdgoblet", "Goblet", "picGoblet", "lblGoblet", "Goblet", "txtGoblet"},
    {"cmdHighball", "Highball", "picHighball", "lblHighball", "Highball", "txtHighball"},
    {"cmdIrishCoffee", "Irish Coffee", "picIrishCoffee", "lblIrishCoffee", "Irish Coffee Cup", "txtIrishCoffee"},
    {"cmdOldFashioned", "Old-Fashioned", "picOldFashioned", "lblOldFashioned", "Old-Fashioned", "txtOldFashioned"},
    {"cmdParfait", "Parfait", "picParfait", "lblParfait", "Parfait", "txtParfait"},
    {"cmdPony", "Pony", "picPony", "lblPony", "Pony", "txtPony"},
    {"cmePousseCafe", "Pousse Cafe", "picPousseCafe", "lblPousseCafe", "Pousse Cafe", "txtPousseCafe"},
    {"cmdPunchCup", "Punch Cup", "picPunchCup", "lblPunchCup", "Punch Cup", "txtPunchCup"},
    {"cmdRedWine", "Red Wine", "picRedWine", "lblRedWine", "Red Wine", "txtRedWine"},
    {"cmdSherry", "Sherry", "picSherry", "lblSherry", "Sherry", "txtSherry"},
    {"cmdShotGlass", "Shot Glass", "picShotGlass", "lblShotGlass", "Shot Glass", "txtShotGlass"},
    {"cmdWhiskeySour", "Whiskey Sour", "picWhiskeySour", "lblWhiskeySour", "Whiskey Sour", "txtWhiskeySour"},
    {"cmdWhiteWine", "White Wine", "picWhiteWine", "lblWhiteWine", "White Wine", "txtWhiteWine"},
};

QStringList buttons()
{
    return namesOf(kOrder, &G::button);
}

QSet<QString> groupOf(const G &g)
{
    return {QString::fromLatin1(g.picture), QString::fromLatin1(g.label), QString::fromLatin1(g.textBox)};
}

} // namespace

class TestGlasses : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { pvtest::unloadAll(); }

    void openingShowsBrandySnifterOnly()
    {
        auto *f = open<frmGlasses>();
        QCOMPARE(f->windowTitle(), QStringLiteral("Glasses"));
        QCOMPARE(f->Label1->text(),
                 QStringLiteral("The following Glasses are needed to properly prepare the drinks in Pourvale"));
        QCOMPARE(visibleDisplay(f, buttons()), groupOf(kOrder[1]));
        QCOMPARE(textOf(f, "txtBrandySnifter"), pv::ReferencePanel::contentText("glasses/BrandySnifter.txt"));
        QVERIFY(textOf(f, "txtBrandySnifter").contains(QStringLiteral("brandy")));
        QVERIFY(f->cmdClose->isVisible());
        QCOMPARE(f->cmdClose->text(), QStringLiteral("Close"));
    }

    void buttonsStandInTwoColumnsOfTen()
    {
        auto *f = open<frmGlasses>();
        QList<QRect> at;
        for (const G &g : kOrder) {
            auto *b = qobject_cast<QPushButton *>(child(f, g.button));
            QVERIFY2(b, g.button);
            QVERIFY(b->isVisible());
            QCOMPARE(b->text(), QString::fromUtf8(g.caption));
            at << b->geometry();
        }
        QCOMPARE(at.size(), 20);
        checkColumns(at, 10);
        // The pictures stand right of both columns, Close below them.
        const QRect picture = child(f, "picPony")->geometry();
        QVERIFY(picture.left() > at[10].right());
        QVERIFY(f->cmdClose->geometry().top() >= picture.bottom());
    }

    void everyButtonShowsItsOwnGlassOnly()
    {
        auto *f = open<frmGlasses>();
        for (const G &g : kOrder) {
            click(f, g.button);
            QCOMPARE(visibleDisplay(f, buttons()), groupOf(g));
            auto *pic = qobject_cast<pv::PictureBox *>(child(f, g.picture));
            QVERIFY2(pic && pic->hasPicture(), g.picture);
            QCOMPARE(textOf(f, g.label), QString::fromUtf8(g.labelCaption));
            QVERIFY2(!textOf(f, g.textBox).trimmed().isEmpty(), g.textBox);
            // The name sits wholly inside the picture's rectangle, top left.
            const QRect name = child(f, g.label)->geometry();
            QVERIFY(pic->geometry().contains(name));
            QCOMPARE(name.topLeft(), pic->geometry().topLeft());
        }
    }

    void allPicturesAndDescriptionsShareOnePlace()
    {
        auto *f = open<frmGlasses>();
        const QRect picture = child(f, "picBeerMug")->geometry();
        const QRect text = child(f, "txtBeerMug")->geometry();
        for (const G &g : kOrder) {
            QCOMPARE(child(f, g.picture)->geometry(), picture);
            QCOMPARE(child(f, g.textBox)->geometry(), text);
        }
        // Twenty different drawings.
        QSet<QString> pictures;
        for (const G &g : kOrder)
            pictures.insert(pictureOf(f, g.picture));
        QCOMPARE(pictures.size(), 20);
    }

    void designedTextsAreKeptExactly()
    {
        auto *f = open<frmGlasses>();
        click(f, "cmdPony");
        QCOMPARE(textOf(f, "txtPony"), asShown("No info on this glass\r\n"));
        QCOMPARE(textOf(f, "lblPony"), QStringLiteral("Pony"));
        click(f, "cmdParfait");
        QCOMPARE(textOf(f, "txtParfait"), asShown("No info on this glass\r\n"));
        click(f, "cmdIrishCoffee");
        QCOMPARE(textOf(f, "lblIrishCoffee"), QStringLiteral("Irish Coffee Cup"));
        QCOMPARE(textOf(f, "cmdIrishCoffee"), QStringLiteral("Irish Coffee"));

        // Line breaks inside the text and spaces before them or at the end.
        QCOMPARE(textOf(f, "txtBeerMug"),
                 asShown("The most common glass in which to serve beer. Mugs should be chilled/frosted \r\n"
                         "until just before serving.\r\n"));
        QCOMPARE(textOf(f, "txtHighball"),
                 QStringLiteral(
                     "A straight-sided glass ranging from eight to ten ounces for most standard mixed drinks.  "));
        QCOMPARE(textOf(f, "txtPousseCafe"),
                 asShown(QString::fromUtf8("A stemmed glass holding one to two ounces for liqueur, brandy and small "
                                           "\r\npousse-caf\u00e8s.  \r\n")));
        QCOMPARE(textOf(f, "txtShotGlass"),
                 asShown("Shot glasses hold 1 to 1 1/2 ounces of liquor. They are used to knock back \r\n"
                         "drinks in a quick gulps.\r\n"));
        // A CR LF pair is a line end on the screen, never a visible character.
        for (const G &g : kOrder)
            QVERIFY2(!hasStrayCarriageReturn(f, g.textBox), g.textBox);
        auto *box = qobject_cast<QPlainTextEdit *>(child(f, "txtBeerMug"));
        QCOMPARE(box->document()->blockCount(), 3);
    }

    void sameButtonTwiceChangesNothing()
    {
        auto *f = open<frmGlasses>();
        click(f, "cmdHighball");
        const QStringList before = snapshot(f);
        click(f, "cmdHighball");
        QCOMPARE(snapshot(f), before);
        // The shown glass, clicked at opening, too.
        f = reopen(f);
        const QStringList atOpening = snapshot(f);
        click(f, "cmdBrandySnifter");
        QCOMPARE(snapshot(f), atOpening);
    }

    void reopeningStartsFromTheDesign()
    {
        auto *f = open<frmGlasses>();
        const QStringList designed = snapshot(f);
        QTest::keyClicks(child(f, "txtBrandySnifter"), QStringLiteral("scribble"));
        click(f, "cmdPony");
        QTest::keyClicks(child(f, "txtPony"), QStringLiteral("more"));
        QVERIFY(snapshot(f) != designed);

        f = reopen(f);
        QCOMPARE(snapshot(f), designed);
        QCOMPARE(textOf(f, "txtPony"), asShown("No info on this glass\r\n"));

        // Closing through the close box unloads the window just the same.
        click(f, "cmdCollins");
        f->close();
        QVERIFY(!pv::Screen().isLoaded(f));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        f = open<frmGlasses>();
        QCOMPARE(visibleDisplay(f, buttons()), groupOf(kOrder[1]));
    }

    void showingAgainBringsTheSameWindowForward()
    {
        auto *f = open<frmGlasses>();
        click(f, "cmdSherry");
        auto *again = open<frmGlasses>();
        QCOMPARE(again, f);
        int glassWindows = 0;
        for (pv::Form *form : pv::Screen().forms())
            glassWindows += dynamic_cast<frmGlasses *>(form) != nullptr;
        QCOMPARE(glassWindows, 1);
        QCOMPARE(visibleDisplay(f, buttons()), groupOf(kOrder[16]));
        QVERIFY(!f->isModal());
    }
};

PV_TEST_MAIN(TestGlasses)
#include "tst_glasses.moc"
