// Whatever a person types or pastes into the other windows' boxes: the nine
// collection windows keep it exactly (within a box's own limit), and the help
// viewer's keyword and search boxes take anything without harm.
#include "TestSupport.h"

#include "app/HelpBrowser.h"
#include "app/HelpCommands.h"
#include "app/frmHelp.h"
#include "collections/frmBgames.h"
#include "collections/frmCards.h"
#include "collections/frmDice.h"
#include "collections/frmJoke.h"
#include "collections/frmLines.h"
#include "collections/frmMedia.h"
#include "collections/frmMoney.h"
#include "collections/frmSpeech.h"
#include "collections/frmToasting.h"
#include "data/Catalogue.h"
#include "ui/DataControl.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

using pv::Screen;

namespace {

pv::CollectionBrowser *load(const QString &form)
{
    return pvtest::loadCollection(form);
}

QString tableOf(const pv::CollectionProfile &p)
{
    for (const pv::CollectionTable &t : pv::collectionTables())
        if (QString::fromLatin1(p.recordSource).contains(QLatin1String(t.table)))
            return QLatin1String(t.table);
    return QString();
}

void paste(QWidget *w, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    w->setFocus();
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
}

using pvtest::typeText;

QString longText(int n)
{
    static const QString pool = QStringLiteral("Drink when the dice say so. Ünïcödé 乾杯 🎲 ");
    QString s;
    while (s.size() < n)
        s += pool;
    s.truncate(n);
    if (s.at(n - 1).isHighSurrogate())
        s[n - 1] = QLatin1Char('.');
    return s;
}

// Odd things a person may put into a box.
QStringList oddTexts()
{
    return {QString(10000, QLatin1Char('z')),
            longText(10000),
            QStringLiteral("Ούζο, 梅酒, 소주, عرق, 🧑‍🍳🍹"),
            QStringLiteral("Cafe\u0301 𝐆𝐢𝐧"),
            QStringLiteral("   "),
            QStringLiteral("tab\tbell\aesc\x1b") + QChar(0) + QStringLiteral("nul"),
            QStringLiteral("* ? # [ ] [! % _ ' '' \" \\ ( ) { } ^ $ | + ."),
            QStringLiteral("' OR '1'='1"),
            QStringLiteral("\"unbalanced AND OR NOT ~ -")};
}

} // namespace

class TestWindowInput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { pvtest::unloadAll(); }
    void collectionBoxes_data();
    void collectionBoxes();
    void helpKeywordAndSearchBoxes();
};

void TestWindowInput::collectionBoxes_data()
{
    QTest::addColumn<QString>("form");
    for (const pv::CollectionProfile &p : pv::collectionProfiles())
        QTest::newRow(p.form) << QString::fromLatin1(p.form);
}

void TestWindowInput::collectionBoxes()
{
    QFETCH(QString, form);
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    pvtest::MsgRecorder rec;
    pv::CollectionBrowser *w = load(form);
    Screen().Show(w);
    const pv::CollectionProfile &p = w->profile();
    auto *shortBox = w->findChild<QLineEdit *>(QStringLiteral("txtFields(%1)").arg(p.shortBox.index));
    auto *longBox = w->findChild<QPlainTextEdit *>(QStringLiteral("txtFields(%1)").arg(p.longBox.index));
    auto *data = w->findChild<pv::DataControl *>(QStringLiteral("datPrimaryRS"));
    QVERIFY(shortBox && longBox && data);
    QTRY_VERIFY(data->cursor());
    auto click = [w](const char *name) { QTest::mouseClick(w->findChild<QPushButton *>(name), Qt::LeftButton); };
    const QString table = tableOf(p);
    auto storedLast = [&](const char *column) {
        // hex(), so that a NUL in the text counts as well
        const QString hex = pvtest::queryColumn(app.catalogue(), QStringLiteral("SELECT hex(\"%1\") FROM \"%2\" "
                                                                                "ORDER BY rowid DESC LIMIT 1")
                                                                     .arg(QLatin1String(column), table))
                                .value(0);
        return QString::fromUtf8(QByteArray::fromHex(hex.toLatin1()));
    };

    int rows = int(pvtest::queryColumn(app.catalogue(), QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table))
                       .value(0)
                       .toInt());
    // A joke's or a line's number takes whole numbers only (one more each time).
    const bool numbered = data->cursor()->isWholeNumberField(QLatin1String(p.shortBox.column));
    int number = 100;
    for (const QString &text : oddTexts()) {
        click("cmdAdd");
        if (numbered)
            typeText(shortBox, QString::number(++number));
        else if (text.size() > 100 || text.contains(QChar(0)))
            paste(shortBox, text);
        else
            typeText(shortBox, text);
        paste(longBox, text);
        // A short box with a limit of its own takes what fits; the rest is
        // kept whole.
        const QString shortWant = numbered           ? QString::number(number)
                                  : p.shortMaxLength ? text.left(p.shortMaxLength)
                                                     : text;
        QCOMPARE(shortBox->text(), shortWant);
        QCOMPARE(longBox->toPlainText(), text);
        const QString shortShown = shortBox->text();
        click("cmdUpdate");
        ++rows;
        QCOMPARE(storedLast(p.longBox.column), text);
        QCOMPARE(storedLast(p.shortBox.column), shortShown);
        // Shown again as stored after moving away and back.
        click("cmdBegofFile");
        click("cmdEndofList");
        QCOMPARE(longBox->toPlainText(), text);
        QCOMPARE(shortBox->text(), shortShown);
    }
    QCOMPARE(pvtest::queryColumn(app.catalogue(), QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table)),
             QStringList{QString::number(rows)});
    QVERIFY2(rec.calls.isEmpty(), qPrintable(rec.prompts().join('\n')));
    QVERIFY(Screen().isLoaded(w));
}

void TestWindowInput::helpKeywordAndSearchBoxes()
{
    QTemporaryDir dir;
    for (const char *name : {"pourvale.qhc", "pourvale.qch"})
        QVERIFY2(QFile::copy(QStringLiteral(PV_APP_DIR "/") + QLatin1String(name), dir.filePath(QLatin1String(name))),
                 "build the help file first (target helpfile)");
    Screen().App().HelpFile = dir.filePath(pv::kHelpFileName);
    pvtest::MsgRecorder rec;
    pv::helpSearch(QStringLiteral("Pourvale"));
    frmHelp *viewer = nullptr;
    for (pv::Form *f : Screen().forms())
        if (auto *v = dynamic_cast<frmHelp *>(f))
            viewer = v;
    QVERIFY(viewer);
    QTRY_VERIFY(viewer->indexWidget->model()->rowCount() > 0);

    for (const QString &text : oddTexts()) {
        paste(viewer->txtIndexKeyword, text);
        QTest::keyClick(viewer->txtIndexKeyword, Qt::Key_Return);
    }
    // The index still answers a plain keyword afterwards.
    viewer->txtIndexKeyword->clear();
    QTest::keyClicks(viewer->txtIndexKeyword, QStringLiteral("Start butt"));
    QTest::keyClick(viewer->txtIndexKeyword, Qt::Key_Return);
    QTRY_VERIFY(viewer->brwHelp->source().fileName() == QStringLiteral("getting-started.html"));

    // Full-text search: every odd query comes to an end, and a plain one still finds its page.
    QTRY_VERIFY_WITH_TIMEOUT(viewer->isSearchReady(), 20000);
    viewer->tabNavigation->setCurrentWidget(viewer->tabSearch);
    auto *input = viewer->queryWidget->findChild<QLineEdit *>();
    QVERIFY(input);
    QHelpSearchEngine *search = viewer->helpEngine()->searchEngine();
    QSignalSpy finished(search, &QHelpSearchEngine::searchingFinished);
    int searches = 0;
    for (const QString &text : oddTexts()) {
        paste(input, text);
        QTest::keyClick(input, Qt::Key_Return);
        if (!input->text().trimmed().isEmpty()) {
            ++searches;
            QTRY_COMPARE(finished.count(), searches);
        }
    }
    paste(input, QStringLiteral("corkscrew"));
    QTest::keyClick(input, Qt::Key_Return);
    ++searches;
    QTRY_COMPARE(finished.count(), searches);
    QVERIFY(search->searchResultCount() >= 1);
    QVERIFY2(rec.calls.isEmpty(), qPrintable(rec.prompts().join('\n')));
    QVERIFY(Screen().isLoaded(viewer));
}

PV_TEST_MAIN(TestWindowInput)
#include "tst_windowinput.moc"
