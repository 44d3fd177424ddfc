#include "TestSupport.h"
#include "app/HelpBrowser.h"
#include "app/HelpCommands.h"
#include "app/frmHelp.h"

#include <QFile>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace pv;

namespace
{

const QString kCaption = QStringLiteral("Pourvale - Drinks");

using HelpCommandFn = void (*)(const QString &);

frmHelp *loadedViewer()
{
    for (Form *f : Screen().forms())
        if (auto *v = dynamic_cast<frmHelp *>(f))
            return v;
    return nullptr;
}

QString pageOf(const QUrl &url)
{
    return url.fileName() + (url.hasFragment() ? QLatin1Char('#') + url.fragment() : QString());
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_helpFile;

private slots:
    void initTestCase()
    {
        // The help file the build writes into the application folder, copied
        // so the search index is written here and not there.
        const QString built = QStringLiteral(PV_APP_DIR "/pourvale.qhc");
        QVERIFY2(QFile::exists(built), "build the help file first (target helpfile)");
        for (const char *name : {"pourvale.qhc", "pourvale.qch"})
            QVERIFY(
                QFile::copy(QStringLiteral(PV_APP_DIR "/") + QLatin1String(name), m_dir.filePath(QLatin1String(name))));
        m_helpFile = m_dir.filePath(kHelpFileName);
    }

    void cleanup()
    {
        pvtest::unloadAll();
        Screen().App().HelpFile.clear();
    }

    void noHelpFile_data()
    {
        QTest::addColumn<void *>("command");
        QTest::newRow("contents") << reinterpret_cast<void *>(&helpContents);
        QTest::newRow("search") << reinterpret_cast<void *>(&helpSearch);
    }

    void noHelpFile()
    {
        QFETCH(void *, command);
        pvtest::MsgRecorder rec;
        Screen().App().HelpFile.clear();
        reinterpret_cast<HelpCommandFn>(command)(kCaption);
        QCOMPARE(rec.calls.size(), 1);
        QCOMPARE(rec.calls[0].prompt,
                 QStringLiteral("Unable to display Help Contents. There is no Help associated with this project."));
        QCOMPARE(rec.calls[0].style, 64);
        QCOMPARE(rec.calls[0].title, kCaption);
        QVERIFY(!loadedViewer());
    }

    void helpFileThatCannotBeOpened_data()
    {
        QTest::addColumn<void *>("command");
        QTest::addColumn<QString>("file");
        QTest::newRow("contents, missing") << reinterpret_cast<void *>(&helpContents) << "missing";
        QTest::newRow("search, missing") << reinterpret_cast<void *>(&helpSearch) << "missing";
        QTest::newRow("contents, not a help file") << reinterpret_cast<void *>(&helpContents) << "garbage";
        QTest::newRow("search, not a help file") << reinterpret_cast<void *>(&helpSearch) << "garbage";
    }

    void helpFileThatCannotBeOpened()
    {
        QFETCH(void *, command);
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString path = dir.filePath(kHelpFileName);
        const QByteArray garbage("these are not the help pages you are looking for\n");
        if (file == QLatin1String("garbage")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(garbage);
        }
        Screen().App().HelpFile = path;
        pvtest::MsgRecorder rec;
        reinterpret_cast<HelpCommandFn>(command)(kCaption);

        QCOMPARE(rec.calls.size(), 1);
        QVERIFY2(rec.calls[0].prompt.contains(path), qPrintable(rec.calls[0].prompt));
        QCOMPARE(rec.calls[0].style, 0);
        QVERIFY(rec.calls[0].title.isEmpty());
        QVERIFY(!loadedViewer());
        // Nothing is written in the attempt.
        QCOMPARE(QFile::exists(path), file == QLatin1String("garbage"));
        if (file == QLatin1String("garbage")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), garbage);
        }
    }

    void contentsShowTheFirstPage()
    {
        pvtest::MsgRecorder rec;
        Screen().App().HelpFile = m_helpFile;
        helpContents(kCaption);
        QVERIFY(rec.calls.isEmpty());

        frmHelp *viewer = loadedViewer();
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->tabNavigation->currentWidget(), viewer->tabContents);
        QVERIFY(viewer->contentWidget);
        QTRY_VERIFY(viewer->contentWidget->model()->rowCount() > 0);
        QTRY_COMPARE(pageOf(viewer->brwHelp->source()), QStringLiteral("index.html"));
        QCOMPARE(viewer->brwHelp->documentTitle(), QStringLiteral("Welcome to Pourvale Help - Pourvale Help"));
        QCOMPARE(viewer->contentWidget->currentIndex(), viewer->contentWidget->indexOf(viewer->homePage()));

        // A topic of the tree, and a link inside the page it opens.
        const QModelIndex topic =
            viewer->contentWidget->indexOf(QUrl(QStringLiteral("qthelp://org.pourvale.help/doc/getting-started.html")));
        QVERIFY(topic.isValid());
        emit viewer->contentWidget->activated(topic);
        QCOMPARE(pageOf(viewer->brwHelp->source()), QStringLiteral("getting-started.html"));
        QVERIFY(viewer->brwHelp->toPlainText().contains(QStringLiteral("Where Would You Like To Go?")));
        emit viewer->brwHelp->anchorClicked(
            viewer->brwHelp->source().resolved(QUrl(QStringLiteral("main-window.html"))));
        QCOMPARE(pageOf(viewer->brwHelp->source()), QStringLiteral("main-window.html"));
        QVERIFY(viewer->actBack->isEnabled());
        viewer->actBack->trigger();
        QCOMPARE(pageOf(viewer->brwHelp->source()), QStringLiteral("getting-started.html"));

        // Asking again brings up the same viewer at the page being read.
        helpContents(kCaption);
        QCOMPARE(loadedViewer(), viewer);
        QCOMPARE(pageOf(viewer->brwHelp->source()), QStringLiteral("getting-started.html"));
        QVERIFY(rec.calls.isEmpty());
    }

    void searchOpensTheIndexWithNoKey()
    {
        pvtest::MsgRecorder rec;
        Screen().App().HelpFile = m_helpFile;
        helpContents(kCaption);
        frmHelp *viewer = loadedViewer();
        QVERIFY(viewer);
        viewer->txtIndexKeyword->setText(QStringLiteral("left over"));

        helpSearch(kCaption);
        QVERIFY(rec.calls.isEmpty());
        QCOMPARE(loadedViewer(), viewer);
        QCOMPARE(viewer->tabNavigation->currentWidget(), viewer->tabIndex);
        QVERIFY(viewer->txtIndexKeyword->text().isEmpty());

        // A keyword typed and Enter: the page it stands for.
        QTRY_VERIFY(viewer->indexWidget->model()->rowCount() > 0);
        QTest::keyClicks(viewer->txtIndexKeyword, QStringLiteral("Start butt"));
        QTest::keyClick(viewer->txtIndexKeyword, Qt::Key_Return);
        QTRY_COMPARE(pageOf(viewer->brwHelp->source()), QStringLiteral("getting-started.html#start"));
    }

    void fullTextSearchFindsThePage()
    {
        Screen().App().HelpFile = m_helpFile;
        helpSearch(kCaption);
        frmHelp *viewer = loadedViewer();
        QVERIFY(viewer);
        QTRY_VERIFY_WITH_TIMEOUT(viewer->isSearchReady(), 20000);

        viewer->tabNavigation->setCurrentWidget(viewer->tabSearch);
        auto *input = viewer->queryWidget->findChild<QLineEdit *>();
        QVERIFY(input);
        QHelpSearchEngine *search = viewer->helpEngine()->searchEngine();
        QSignalSpy finished(search, &QHelpSearchEngine::searchingFinished);
        QTest::keyClicks(input, QStringLiteral("corkscrew"));
        QTest::keyClick(input, Qt::Key_Return);
        QTRY_COMPARE(finished.count(), 1);

        const QList<QHelpSearchResult> results = search->searchResults(0, search->searchResultCount());
        QCOMPARE(results.size(), 1);
        QCOMPARE(pageOf(results[0].url()), QStringLiteral("utensils.html"));

        emit viewer->resultWidget->requestShowLink(results[0].url());
        QCOMPARE(pageOf(viewer->brwHelp->source()), QStringLiteral("utensils.html"));
        QVERIFY(viewer->brwHelp->toPlainText().contains(QStringLiteral("corkscrew"), Qt::CaseInsensitive));
    }

    void anotherHelpFileReplacesTheViewer()
    {
        QTemporaryDir other;
        for (const char *name : {"pourvale.qhc", "pourvale.qch"})
            QVERIFY(QFile::copy(m_dir.filePath(QLatin1String(name)), other.filePath(QLatin1String(name))));
        Screen().App().HelpFile = m_helpFile;
        helpContents(kCaption);
        QPointer<frmHelp> first = loadedViewer();
        QVERIFY(first);

        Screen().App().HelpFile = other.filePath(kHelpFileName);
        helpContents(kCaption);
        frmHelp *second = loadedViewer();
        QVERIFY(second);
        QCOMPARE(second->helpFile(), other.filePath(kHelpFileName));
        QCOMPARE(Screen().formsCount(), 1);
        QTRY_VERIFY(!first);
    }
};

PV_TEST_MAIN(TestHelp)
#include "tst_help.moc"
