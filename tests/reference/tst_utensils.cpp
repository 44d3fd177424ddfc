#include "ReferenceProbe.h"
#include "reference/frmUtensils.h"

using namespace refprobe;

namespace {

struct U {
    const char *label, *caption, *picture, *textBox;
};
// Screen order: left column top to bottom (ten), then the right column (nine).
const U kOrder[] = {
    {"lblCanOpener", "Can Opener", "picCanOpener", "txtCanOpener"},
    {"lblBottleOpener", "Bottle Opener", "picBottleOpener", "txtBottleOpener"},
    {"lblCorkscrew", "Corkscrew", "picCorkscrew", "txtCorkscrew"},
    {"lblWaitersCorkscrew", "Waiter's Corkscrew", "picWaitersScrew", "txtWaitersScrew"},
    {"lblCoilrimmedStrainer", "Coil-rimmed Strainer", "picStrainer", "txtCoilrimmedStrainer"},
    {"lblShaker", "Shaker", "picShaker", "txtShaker"},
    {"lblStirringSpoon", "Stirring Spoon", "picSpoon", "txtSpoon"},
    {"lblElectricBlender", "Electric Blender", "picBlender", "txtBlender"},
    {"lblLargeWoodenSpoon", "Large Wooden Spoon", "picLargeWoodenSpoon", "txtLargeWoodenSpoon"},
    {"lblCorrectGlasses", "Correct Glasses", "picCorrectGlasses", "txtCorrectGlasses"},
    {"lblSharpKnife", "Sharp Knife", "picSharpKnife", "txtSharpKnife"},
    {"lblCuttingBoard", "Cutting Board", "picCuttingBoard", "txtCuttingBoard"},
    {"lbl1GallonPitcher", "1 Gallon Pitcher", "pic1GallonPitcher", "txt1GallonPitcher"},
    {"lblJuicer", "Juicer", "picJuicer", "txtJuicer"},
    {"lblMeasuringCup", "Measuring Cup", "picMeasuringCup", "txtMeasuringCup"},
    {"lblMeasuringSpoons", "Measuring Spoons", "picMeasuringSpoons", "txtMeasuringSpoons"},
    {"lblJigger", "Jigger", "picjigger", "txtJigger"},
    {"lblIceBucket", "Ice Bucket", "picIceBucket", "txtIceBucket"},
    {"lblIceTongs", "Ice Tongs", "picTongs", "txtTongs"},
};

QStringList names()
{
    return namesOf(kOrder, &U::label);
}

QSet<QString> groupOf(const U &u)
{
    return {QString::fromLatin1(u.picture), QString::fromLatin1(u.textBox)};
}

} // namespace

class TestUtensils : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { pvtest::unloadAll(); }

    void openingShowsCorkscrewAndEveryName()
    {
        auto *f = open<frmUtensils>();
        QCOMPARE(f->windowTitle(), QStringLiteral("Bartender Utensils"));
        QCOMPARE(f->Label1->text(),
                 QStringLiteral("The following utensils are needed to properly prepare the drinks in Pourvale:"));
        QCOMPARE(visibleDisplay(f, names()), groupOf(kOrder[2]));
        QCOMPARE(textOf(f, "txtCorkscrew"), pv::ReferencePanel::contentText("utensils/Corkscrew.txt"));

        QList<QRect> at;
        for (const U &u : kOrder) {
            QWidget *name = child(f, u.label);
            QVERIFY2(name && name->isVisible(), u.label);
            QCOMPARE(textOf(f, u.label), QString::fromUtf8(u.caption));
            at << name->geometry();
        }
        QCOMPARE(at.size(), 19);
        checkColumns(at, 10);
        // Close at the bottom right, under the description.
        QVERIFY(f->cmdClose->geometry().top() >= child(f, "txtCorkscrew")->geometry().bottom());
        QVERIFY(f->cmdClose->geometry().right() > f->width() * 3 / 4);
    }

    void everyNameShowsItsPictureAndTextOnly()
    {
        auto *f = open<frmUtensils>();
        const QRect text = child(f, "txtCorkscrew")->geometry();
        for (const U &u : kOrder) {
            click(f, u.label);
            QCOMPARE(visibleDisplay(f, names()), groupOf(u));
            auto *pic = qobject_cast<pv::PictureBox *>(child(f, u.picture));
            QVERIFY2(pic && pic->hasPicture(), u.picture);
            // Right of the names, and the picture's own shape.
            QVERIFY(pic->geometry().left() > child(f, "lblSharpKnife")->geometry().right());
            const QSize own = pic->pictureSize();
            QVERIFY2(qAbs(pic->width() * own.height() - pic->height() * own.width()) <= own.width() + own.height(),
                     u.picture);
            QCOMPARE(child(f, u.textBox)->geometry(), text);
            QVERIFY2(!textOf(f, u.textBox).trimmed().isEmpty(), u.textBox);
            QVERIFY2(!hasStrayCarriageReturn(f, u.textBox), u.textBox);
        }
    }

    void canAndBottleOpenerShareTheirTextNotTheirPicture()
    {
        auto *f = open<frmUtensils>();
        click(f, "lblCanOpener");
        const QString canPicture = pictureOf(f, "picCanOpener");
        const QString canText = textOf(f, "txtCanOpener");
        click(f, "lblBottleOpener");
        QVERIFY(pictureOf(f, "picBottleOpener") != canPicture);
        QCOMPARE(textOf(f, "txtBottleOpener"), canText);
        QVERIFY(canText.contains(QStringLiteral("bottle opener")));
    }

    void spoonStrainerAndGlassPictures()
    {
        auto *f = open<frmUtensils>();
        click(f, "lblStirringSpoon");
        QCOMPARE(visibleDisplay(f, names()), (QSet<QString>{"picSpoon", "txtSpoon"}));
        QCOMPARE(pictureOf(f, "picSpoon"), QStringLiteral(":/pictures/utensils/spoon.svg"));
        QCOMPARE(textOf(f, "txtSpoon"),
                 asShown("A long-handled spoon for stirring mixed drinks, especially in a tall glass. \r\n"));
        click(f, "lblCoilrimmedStrainer");
        QCOMPARE(visibleDisplay(f, names()), (QSet<QString>{"picStrainer", "txtCoilrimmedStrainer"}));
        QCOMPARE(pictureOf(f, "picStrainer"), QStringLiteral(":/pictures/utensils/strainer.svg"));
        // The same drawing as the glasses window's cocktail glass.
        QCOMPARE(pictureOf(f, "picCorrectGlasses"), QStringLiteral(":/pictures/glasses/cocktail.svg"));
    }

    void quotedTextsKeepTheirSpelling()
    {
        auto *f = open<frmUtensils>();
        QCOMPARE(textOf(f, "txtWaitersScrew"),
                 asShown("Used to open bottles of wine just like other corksecrews, a waiter's corkscrew can be used "
                         "with one hand.\r\n"));
        QCOMPARE(textOf(f, "txtShaker"),
                 asShown("A professional shaker consisting of a 16 oz mixing glass, and a metal top, is a definate "
                         "must. \r\n"));
        QCOMPARE(textOf(f, "txtJigger"),
                 asShown(QString::fromUtf8("The standard metal jigger measures 1 \u00b9/2 oz on the large end and 1 oz "
                                           "on the small end. \r\n")));
        QCOMPARE(textOf(f, "txtMeasuringSpoons"),
                 asShown("Buy the common kitchen-variety set of nested spoons, they are a necessity\r\n"));
    }

    void secondClickChangesNothing()
    {
        auto *f = open<frmUtensils>();
        click(f, "lblJigger");
        const QStringList before = snapshot(f);
        click(f, "lblJigger");
        QCOMPARE(snapshot(f), before);
    }

    void reopeningStartsFromTheCorkscrew()
    {
        auto *f = open<frmUtensils>();
        const QStringList designed = snapshot(f);
        QTest::keyClicks(child(f, "txtCorkscrew"), QStringLiteral("changed"));
        click(f, "lblIceTongs");
        QVERIFY(snapshot(f) != designed);
        f = reopen(f);
        QCOMPARE(snapshot(f), designed);
        QCOMPARE(open<frmUtensils>(), f);
    }
};

PV_TEST_MAIN(TestUtensils)
#include "tst_utensils.moc"
