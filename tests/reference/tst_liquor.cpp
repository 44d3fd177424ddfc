#include "ReferenceProbe.h"
#include "reference/frmLiquor.h"

#include <QScrollBar>

using namespace refprobe;

namespace {

struct L {
    const char *label, *caption, *marker, *picture, *textBox;
    bool article;
};
// Screen order, top to bottom.
const L kOrder[] = {
    {"lblBourbon", "Bourbon", "picBourbonMarker", "picBourbon", "txtBourbon", false},
    {"lblBrandy", "Brandy", "picBrandyMarker", "picBrandy", "txtBrandy", true},
    {"lblGin", "Gin", "picGinMarker", "picGin", "txtGin", true},
    {"lblRum", "Rum", "picRumMarker", "picRum", "txtRum", true},
    {"lblScotch", "Scotch", "picScotchMarker", "picScotch", "txtScotch", false},
    {"lblTequila", "Tequila", "picTequilaMarker", "picTequila", "txtTequila", false},
    {"lblVodka", "Vodka", "picVodkaMarker", "picVodka", "txtVodka", true},
    {"lblWhiskey", "Whiskey", "picWhiskeyMarker", "picWhiskey", "txtWhiskey", true},
    {"lblRedWine", "Red Wine", "picRedWineMarker", "picRedWine", "txtRedWine", true},
    {"lblWhiteWine", "White Wine", "picWhiteWineMarker", "picWhiteWine", "txtWhiteWine", true},
};

QStringList names()
{
    return namesOf(kOrder, &L::label);
}

QSet<QString> groupOf(const L &l)
{
    return {QString::fromLatin1(l.picture), QString::fromLatin1(l.textBox), QString::fromLatin1(l.marker)};
}

QStringList visibleMarkers(QWidget *window)
{
    QStringList out;
    for (const L &l : kOrder) {
        if (child(window, l.marker)->isVisible())
            out << QString::fromLatin1(l.marker);
    }
    return out;
}

} // namespace

class TestLiquor : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { pvtest::unloadAll(); }

    void openingShowsAndMarksBourbon()
    {
        auto *f = open<frmLiquor>();
        QCOMPARE(f->windowTitle(), QStringLiteral("Liquors"));
        QCOMPARE(f->Label1->text(),
                 QStringLiteral("The following Liquors are needed to properly prepare the drinks in Pourvale"));
        QCOMPARE(visibleDisplay(f, names()), groupOf(kOrder[0]));
        QCOMPARE(visibleMarkers(f), QStringList{"picBourbonMarker"});
        QCOMPARE(textOf(f, "txtBourbon"),
                 QStringLiteral("A whiskey distilled from a fermented mash of corn, malt, and rye."));
        QList<QRect> at;
        for (const L &l : kOrder) {
            QVERIFY2(child(f, l.label)->isVisible(), l.label);
            QCOMPARE(textOf(f, l.label), QString::fromUtf8(l.caption));
            at << child(f, l.label)->geometry();
        }
        QCOMPARE(at.size(), 10);
        checkColumns(at, 10);
    }

    void everyClickShowsThreeControlsAndMarksTheName()
    {
        auto *f = open<frmLiquor>();
        for (const L &l : kOrder) {
            click(f, l.label);
            QCOMPARE(visibleDisplay(f, names()), groupOf(l));
            QCOMPARE(visibleMarkers(f), QStringList{QString::fromLatin1(l.marker)});

            auto *marker = qobject_cast<pv::PictureBox *>(child(f, l.marker));
            QVERIFY(marker);
            QVERIFY(!marker->hasPicture());
            QCOMPARE(marker->backColor(), QColor(Qt::cyan));
            QCOMPARE(marker->size(), QSize(17, 17)); // 255 twips
            // Immediately left of its own name, on the same row.
            const QRect name = child(f, l.label)->geometry();
            QVERIFY(marker->geometry().right() < name.left());
            QVERIFY(name.left() - marker->geometry().right() <= 8);
            QVERIFY(qAbs(marker->geometry().center().y() - name.center().y()) <= 1);

            auto *pic = qobject_cast<pv::PictureBox *>(child(f, l.picture));
            QVERIFY2(pic && pic->hasPicture(), l.picture);
            QVERIFY(pic->geometry().left() > name.right());
            QVERIFY2(!hasStrayCarriageReturn(f, l.textBox), l.textBox);
        }
        QCOMPARE(textOf(f, "txtScotch"), asShown("A whiskey distilled in Scotland from malted barley.\r\n"));
        QCOMPARE(textOf(f, "txtTequila"), asShown("An alcoholic liquor distilled from an agave.\r\n"));
    }

    void markerPaintsSolidCyan()
    {
        auto *f = open<frmLiquor>();
        const QImage image = child(f, "picBourbonMarker")->grab().toImage();
        QCOMPARE(image.pixelColor(0, 0), QColor(Qt::cyan));
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2), QColor(Qt::cyan));
        QCOMPARE(image.pixelColor(image.width() - 1, image.height() - 1), QColor(Qt::cyan));
    }

    void redThenWhiteWineChangesPictureAndMarkerNotText()
    {
        auto *f = open<frmLiquor>();
        click(f, "lblRedWine");
        const QString text = textOf(f, "txtRedWine");
        click(f, "lblWhiteWine");
        QCOMPARE(visibleMarkers(f), QStringList{"picWhiteWineMarker"});
        QVERIFY(pictureOf(f, "picWhiteWine") != pictureOf(f, "picRedWine"));
        QCOMPARE(textOf(f, "txtWhiteWine"), text);
        QVERIFY(text.startsWith(QStringLiteral("Wine is")));
    }

    void articlesEndWithTheirSource()
    {
        auto *f = open<frmLiquor>();
        for (const L &l : kOrder) {
            if (!l.article)
                continue;
            const QString text = textOf(f, l.textBox);
            QVERIFY2(text.endsWith(QStringLiteral("\n\n\n\nSource: Pourvale Bar Reference")), l.textBox);
            QVERIFY2(!text.endsWith(QStringLiteral("\n\n\n\n\nSource: Pourvale Bar Reference")), l.textBox);
        }
        QVERIFY(textOf(f, "txtRedWine").size() > 14000);
        QVERIFY(textOf(f, "txtWhiskey").size() > 5500);
    }

    void wineTextScrollsToItsSourceLine()
    {
        auto *f = open<frmLiquor>();
        click(f, "lblRedWine");
        auto *box = qobject_cast<QPlainTextEdit *>(child(f, "txtRedWine"));
        QScrollBar *bar = box->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QTextCursor last(box->document()->lastBlock());
        QCOMPARE(last.block().text(), QStringLiteral("Source: Pourvale Bar Reference"));
        QVERIFY(!box->viewport()->rect().contains(box->cursorRect(last)));
        bar->setValue(bar->maximum());
        QCoreApplication::processEvents();
        QVERIFY(box->viewport()->rect().contains(box->cursorRect(last)));
    }

    void secondClickChangesNothing()
    {
        auto *f = open<frmLiquor>();
        click(f, "lblGin");
        const QStringList before = snapshot(f);
        click(f, "lblGin");
        QCOMPARE(snapshot(f), before);
    }

    void reopeningStartsFromBourbon()
    {
        auto *f = open<frmLiquor>();
        const QStringList designed = snapshot(f);
        click(f, "lblVodka");
        QTest::keyClicks(child(f, "txtVodka"), QStringLiteral("changed"));
        QVERIFY(snapshot(f) != designed);
        f = reopen(f);
        QCOMPARE(snapshot(f), designed);
        QCOMPARE(visibleMarkers(f), QStringList{"picBourbonMarker"});
        QCOMPARE(open<frmLiquor>(), f);
    }
};

PV_TEST_MAIN(TestLiquor)
#include "tst_liquor.moc"
