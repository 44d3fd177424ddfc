// The browser window's own logic, over a page area that only records.
#include "FakePage.h"
#include "TestSupport.h"
#include "web/WebConfig.h"
#include "web/frmBrowser.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

using pvtest::MsgRecorder;

class tst_browserlogic : public QObject {
    Q_OBJECT

    FakePage *m_page = nullptr;

    frmBrowser *open(const QString &address, const QSet<QString> &refused = {})
    {
        auto *form = new frmBrowser([this, refused](QWidget *host) {
            m_page = new FakePage(host);
            m_page->refused = refused;
            return m_page;
        });
        form->StartingAddress = address;
        pv::Screen().Show(form);
        return form;
    }
    static QTimer *timer(frmBrowser *f) { return f->findChild<QTimer *>(QStringLiteral("timTimer")); }
    static QComboBox *box(frmBrowser *f) { return f->findChild<QComboBox *>(QStringLiteral("cboAddress")); }
    static QAction *key(frmBrowser *f, const QString &k)
    {
        for (QAction *a : f->findChild<QToolBar *>(QStringLiteral("tbToolBar"))->actions())
            if (a->property("Key").toString() == k)
                return a;
        return nullptr;
    }
    static void click(frmBrowser *f, const QString &k)
    {
        auto *tb = f->findChild<QToolBar *>(QStringLiteral("tbToolBar"));
        QTest::mouseClick(tb->widgetForAction(key(f, k)), Qt::LeftButton);
    }

private slots:
    void cleanup() { pvtest::unloadAll(); }

    void designedWindow()
    {
        frmBrowser *f = open(QString());
        QCOMPARE(f->windowTitle(), QStringLiteral("Pourvale Web Browser"));
        QStringList keys;
        auto *tb = f->findChild<QToolBar *>(QStringLiteral("tbToolBar"));
        for (QAction *a : tb->actions()) {
            keys << a->property("Key").toString();
            QVERIFY2(!a->icon().isNull(), qPrintable(keys.last()));
            QVERIFY(QFile::exists(QStringLiteral(":/icons/browser/%1.svg").arg(keys.last().toLower())));
        }
        QCOMPARE(keys, (QStringList{"Back", "Forward", "Stop", "Refresh", "Home", "Search"}));
        QCOMPARE(f->findChild<QWidget *>(QStringLiteral("picAddress"))->height(), 45);
        QCOMPARE(f->findChild<QLabel *>(QStringLiteral("lblAddress"))->text(), QStringLiteral("&Address:"));
        auto *file = f->findChild<QMenu *>(QStringLiteral("mnuFile"));
        QCOMPARE(file->actions().size(), 1);
        QCOMPARE(file->actions().first()->text(), QStringLiteral("Back to Pourvale..."));
        QCOMPARE(timer(f)->interval(), 5);
        QVERIFY(box(f)->isEditable());
    }

    void emptyStartingAddressLeavesEverythingIdle()
    {
        frmBrowser *f = open(QString());
        QVERIFY(f->isVisible());
        QCOMPARE(box(f)->currentText(), QString());
        QCOMPARE(box(f)->count(), 0);
        QVERIFY(!timer(f)->isActive());
        QVERIFY(m_page->calls.isEmpty());
        // The address box sits below its label, 50 twips in.
        auto *label = f->findChild<QLabel *>(QStringLiteral("lblAddress"));
        QCOMPARE(box(f)->pos(), QPoint(3, label->y() + label->height() + 1));
    }

    void loadOpensStartingAddress()
    {
        frmBrowser *f = open(QStringLiteral("http://example.test/"));
        QCOMPARE(box(f)->currentText(), QStringLiteral("http://example.test/"));
        QCOMPARE(box(f)->count(), 1);
        QCOMPARE(box(f)->itemText(0), QStringLiteral("http://example.test/"));
        QVERIFY(timer(f)->isActive());
        QCOMPARE(m_page->calls, QStringList{QStringLiteral("Navigate http://example.test/")});
    }

    void loadGoesOnWhenNavigateFails()
    {
        MsgRecorder msgs;
        frmBrowser *f = open(QStringLiteral("bad"), {QStringLiteral("bad")});
        QVERIFY(f->isVisible());
        QVERIFY(msgs.calls.isEmpty());
        QCOMPARE(box(f)->count(), 1);
        // Picking the same address from the list is not silent.
        emit box(f)->activated(0);
        QCOMPARE(msgs.calls.size(), 1);
        QCOMPARE(msgs.last(), QStringLiteral("cannot open bad"));
    }

    void timerShowsWorkingThenTitle()
    {
        frmBrowser *f = open(QStringLiteral("http://example.test/"));
        m_page->busy = true;
        QTRY_COMPARE(f->windowTitle(), QStringLiteral("Working..."));
        QVERIFY(timer(f)->isActive());
        m_page->busy = false;
        m_page->location = QStringLiteral("Example");
        QTRY_VERIFY(!timer(f)->isActive());
        QCOMPARE(f->windowTitle(), QStringLiteral("Example"));
    }

    void downloadCompleteSetsCaption()
    {
        frmBrowser *f = open(QString());
        m_page->finish(QStringLiteral("Done"));
        QCOMPARE(f->windowTitle(), QStringLiteral("Done"));
    }

    void toolbarKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("call");
        QTest::newRow("Back") << "Back"
                              << "GoBack";
        QTest::newRow("Forward") << "Forward"
                                 << "GoForward";
        QTest::newRow("Refresh") << "Refresh"
                                 << "Refresh";
        QTest::newRow("Home") << "Home"
                              << "GoHome";
        QTest::newRow("Search") << "Search"
                                << "GoSearch";
    }
    void toolbarKeys()
    {
        QFETCH(QString, key);
        QFETCH(QString, call);
        MsgRecorder msgs;
        frmBrowser *f = open(QString());
        m_page->busy = true;
        click(f, key);
        QCOMPARE(m_page->calls, QStringList{call});
        QVERIFY(timer(f)->isActive());
        // A failing operation is passed over without a word.
        m_page->failing.insert(call);
        click(f, key);
        QCOMPARE(m_page->calls, (QStringList{call, call}));
        QVERIFY(msgs.calls.isEmpty());
    }

    void stopEndsWorkingAtOnce()
    {
        frmBrowser *f = open(QStringLiteral("http://example.test/slow"));
        m_page->busy = true;
        m_page->location = QStringLiteral("Before");
        QTRY_COMPARE(f->windowTitle(), QStringLiteral("Working..."));
        m_page->failing.insert(QStringLiteral("Stop"));
        click(f, QStringLiteral("Stop"));
        QVERIFY(!timer(f)->isActive());
        QCOMPARE(m_page->calls.last(), QStringLiteral("Stop"));
        // Even when the page area fails to stop, the caption is set.
        QCOMPARE(f->windowTitle(), QStringLiteral("Before"));
    }

    void enterNavigatesTypedAddressWithoutListing()
    {
        MsgRecorder msgs;
        frmBrowser *f = open(QStringLiteral("http://example.test/"));
        m_page->calls.clear();
        box(f)->lineEdit()->clear();
        QTest::keyClicks(box(f)->lineEdit(), QStringLiteral("typed.test"));
        QTest::keyClick(box(f)->lineEdit(), Qt::Key_Return);
        QCOMPARE(m_page->calls, QStringList{QStringLiteral("Navigate typed.test")});
        QCOMPARE(box(f)->count(), 1);
        QCOMPARE(box(f)->currentText(), QStringLiteral("typed.test"));
        QVERIFY(timer(f)->isActive());

        // A refused address gets a message instead of silence.
        m_page->refused.insert(QStringLiteral("nowhere"));
        box(f)->lineEdit()->clear();
        QTest::keyClicks(box(f)->lineEdit(), QStringLiteral("nowhere"));
        QTest::keyClick(box(f), Qt::Key_Enter);
        QCOMPARE(msgs.prompts(), QStringList{QStringLiteral("cannot open nowhere")});
        QCOMPARE(m_page->calls.size(), 2);
    }

    void listClickNavigatesToItem()
    {
        frmBrowser *f = open(QStringLiteral("http://example.test/"));
        m_page->calls.clear();
        box(f)->setEditText(QStringLiteral("http://example.test/"));
        emit box(f)->activated(0);
        QCOMPARE(m_page->calls, QStringList{QStringLiteral("Navigate http://example.test/")});
    }

    void resizeSizesNeverNegative()
    {
        // 400 x 300 pixels: 6000 x 4500 twips, strip ends at 675.
        pv::web::BrowserSizes s = pv::web::browserSizes(6000, 4500, 675);
        QCOMPARE(s.addressWidth, 5900.0);
        QCOMPARE(s.pageWidth, 5900.0);
        QCOMPARE(s.pageHeight, 3725.0);
        s = pv::web::browserSizes(60, 300, 675);
        QCOMPARE(s.addressWidth, 0.0);
        QCOMPARE(s.pageWidth, 0.0);
        QCOMPARE(s.pageHeight, 0.0);
    }

    void resizeKeepsMargins()
    {
        frmBrowser *f = open(QString());
        f->resize(500, 400);
        auto *inner = f->centralWidget();
        QTRY_COMPARE(inner->width(), 500);
        auto *page = f->findChild<QWidget *>(QStringLiteral("brwWebBrowser"));
        QCOMPARE(page->geometry(), QRect(3, 45, 500 - 7, inner->height() - 45 - 7));
        QCOMPARE(box(f)->width(), 500 - 7);
        QCOMPARE(f->findChild<QWidget *>(QStringLiteral("picAddress"))->width(), 500);
    }

    // The box shows the page on screen, however it got there; the shipped
    // start page shows an empty box with a hint instead of its inner address.
    void addressBoxFollowsThePage()
    {
        frmBrowser *f = open(pv::web::kStartPage);
        QCOMPARE(box(f)->currentText(), QString());
        QVERIFY(!box(f)->lineEdit()->placeholderText().isEmpty());
        m_page->go(pv::web::kStartPage);
        m_page->finish(QStringLiteral("Pourvale"));
        QCOMPARE(box(f)->currentText(), QString());

        QTest::keyClicks(box(f)->lineEdit(), QStringLiteral("http://one.test/"));
        QTest::keyClick(box(f)->lineEdit(), Qt::Key_Return);
        m_page->go(QStringLiteral("http://one.test/welcome")); // a redirect
        QCOMPARE(box(f)->currentText(), QStringLiteral("http://one.test/welcome"));
        for (const char *k : {"Back", "Forward", "Home", "Search"}) {
            click(f, QLatin1String(k));
            const QString there = QStringLiteral("http://%1.test/").arg(QString::fromLatin1(k).toLower());
            m_page->go(there);
            m_page->finish(QLatin1String(k));
            QCOMPARE(box(f)->currentText(), there);
        }
        m_page->go(QStringLiteral("http://search.test/result?q=1")); // a followed link
        QCOMPARE(box(f)->currentText(), QStringLiteral("http://search.test/result?q=1"));
        m_page->go(pv::web::kStartPage);
        QCOMPARE(box(f)->currentText(), QString());
    }

    void exitUnloadsWindow()
    {
        frmBrowser *f = open(QString());
        f->findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
        QVERIFY(!pv::Screen().isLoaded(f));
    }
};

PV_TEST_MAIN(tst_browserlogic)
#include "tst_browserlogic.moc"
