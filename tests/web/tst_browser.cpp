// The browser window over the real web engine, browsing pages served from
// this process.
#include "TestSupport.h"

#include "browser/frmMain.h"
#include "web/WebConfig.h"
#include "web/WebEngineSetup.h"
#include "web/frmBrowser.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QToolBar>
#include <QWebEngineView>

using pvtest::MsgRecorder;

namespace {

constexpr int kSlowMs = 1500;

// Just enough HTTP for the engine: one GET per connection, answered and
// closed. "/slow" answers after kSlowMs.
class PageServer {
public:
    PageServer()
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection())
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { serve(s); });
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    bool listening() const { return m_server.isListening(); }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }
    QStringList requested;

private:
    void serve(QTcpSocket *s)
    {
        QByteArray &buffer = m_pending[s];
        buffer += s->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        const QString path = QString::fromLatin1(buffer.split(' ').value(1));
        m_pending.remove(s);
        requested << path;
        QByteArray status = "200 OK", body;
        if (path == QLatin1String("/a"))
            body = "<html><head><title>Page A</title></head><body><a href='/b'>to B</a></body></html>";
        else if (path == QLatin1String("/b"))
            body = "<html><head><title>Page B</title></head><body>B</body></html>";
        else if (path == QLatin1String("/slow"))
            body = "<html><head><title>Slow page</title></head><body>at last</body></html>";
        else
            status = "404 Not Found", body = "<html><head><title>Not here</title></head></html>";
        const QByteArray reply = "HTTP/1.1 " + status + "\r\nContent-Type: text/html; charset=utf-8\r\n" +
                                 "Content-Length: " + QByteArray::number(body.size()) +
                                 "\r\nConnection: close\r\n\r\n" + body;
        QPointer<QTcpSocket> socket(s);
        auto answer = [socket, reply] {
            if (!socket)
                return;
            socket->write(reply);
            socket->disconnectFromHost();
        };
        if (path == QLatin1String("/slow"))
            QTimer::singleShot(kSlowMs, s, answer);
        else
            answer();
    }

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_pending;
};

// Stands in for the desktop's handler of one scheme: records what it is handed.
class SchemeHandler : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class tst_browser : public QObject {
    Q_OBJECT

    PageServer m_server;

    static QTimer *timer(frmBrowser *f) { return f->findChild<QTimer *>(QStringLiteral("timTimer")); }
    static QComboBox *box(frmBrowser *f) { return f->findChild<QComboBox *>(QStringLiteral("cboAddress")); }
    static QWebEngineView *view(frmBrowser *f) { return f->findChild<QWebEngineView *>(); }
    static void click(frmBrowser *f, const QString &key)
    {
        auto *tb = f->findChild<QToolBar *>(QStringLiteral("tbToolBar"));
        for (QAction *a : tb->actions())
            if (a->property("Key").toString() == key)
                QTest::mouseClick(tb->widgetForAction(a), Qt::LeftButton);
    }
    static void typeAndEnter(frmBrowser *f, const QString &address)
    {
        box(f)->lineEdit()->clear();
        QTest::keyClicks(box(f)->lineEdit(), address);
        QTest::keyClick(box(f), Qt::Key_Return);
    }
    // Opens a window on `path` and waits until it shows `title`.
    frmBrowser *openOn(const QString &path, const QString &title)
    {
        frmBrowser *f = frmBrowser::OpenNew(m_server.url(path));
        [&] { QTRY_COMPARE_WITH_TIMEOUT(f->windowTitle(), title, 20000); }();
        return f;
    }

private slots:
    void initTestCase() { QVERIFY(m_server.listening()); }

    // A page never starts another program without the user's yes.
    void unknownSchemeAsksFirst()
    {
        SchemeHandler handler;
        QDesktopServices::setUrlHandler(QStringLiteral("x-pv-test"), &handler, "open");
        const auto unset = qScopeGuard([] { QDesktopServices::unsetUrlHandler(QStringLiteral("x-pv-test")); });
        int answer = pv::vbNo;
        QList<pv::MsgBoxCall> asked;
        const auto previous = pv::Screen().setMsgBoxHandler([&](const pv::MsgBoxCall &c) {
            asked << c;
            return answer;
        });
        const auto restore = qScopeGuard([&] { pv::Screen().setMsgBoxHandler(previous); });
        frmBrowser *f = openOn(QStringLiteral("/a"), QStringLiteral("Page A"));
        const QString address = QStringLiteral("x-pv-test://secret/path?q=1");
        for (int yes = 0; yes < 2; ++yes) {
            answer = yes ? pv::vbYes : pv::vbNo;
            view(f)->page()->runJavaScript(QStringLiteral("location.href = '%1'").arg(address));
            QTRY_COMPARE_WITH_TIMEOUT(asked.size(), yes + 1, 20000);
            const pv::MsgBoxCall &q = asked.last();
            QCOMPARE(q.style, pv::vbYesNo | pv::vbQuestion | pv::vbDefaultButton2);
            QVERIFY2(q.prompt.contains(address) && q.prompt.contains(QStringLiteral("Open it with")),
                     qPrintable(q.prompt));
            QTest::qWait(200);
            QCOMPARE(handler.opened.size(), yes);
            QCOMPARE(view(f)->url(), QUrl(m_server.url(QStringLiteral("/a"))));
        }
        QCOMPARE(handler.opened.value(0), QUrl(address));
    }
    void cleanup() { pvtest::unloadAll(); }

    // The page's dialogs show its text as typed; one that asks in a loop is
    // asked for three times, then not until another page loads.
    void pageDialogsStopWhenLooping()
    {
        MsgRecorder msgs;
        frmBrowser *f = openOn(QStringLiteral("/a"), QStringLiteral("Page A"));
        view(f)->page()->runJavaScript(QStringLiteral(
            "for (let i = 0; i < 50; i++) alert('<b>x</b>' + i); document.title = 'asked ' + confirm('go?');"));
        QTRY_COMPARE_WITH_TIMEOUT(view(f)->title(), QStringLiteral("asked false"), 20000);
        QCOMPARE(msgs.prompts(), (QStringList{"<b>x</b>0", "<b>x</b>1", "<b>x</b>2"}));
        QCOMPARE(msgs.calls.first().title, QStringLiteral("The page at 127.0.0.1 says"));
        typeAndEnter(f, m_server.url(QStringLiteral("/b")));
        QTRY_COMPARE_WITH_TIMEOUT(f->windowTitle(), QStringLiteral("Page B"), 20000);
        msgs.clear();
        view(f)->page()->runJavaScript(QStringLiteral("document.title = 'asked ' + confirm('go?');"));
        QTRY_COMPARE_WITH_TIMEOUT(view(f)->title(), QStringLiteral("asked true"), 20000);
        QCOMPARE(msgs.prompts(), QStringList{"go?"});
    }

    void captionWorkingThenTitle()
    {
        frmBrowser *f = frmBrowser::OpenNew(m_server.url(QStringLiteral("/slow")));
        QCOMPARE(box(f)->currentText(), m_server.url(QStringLiteral("/slow")));
        QTRY_COMPARE(f->windowTitle(), QStringLiteral("Working..."));
        QTRY_COMPARE_WITH_TIMEOUT(f->windowTitle(), QStringLiteral("Slow page"), 20000);
        QTRY_VERIFY(!timer(f)->isActive());
    }

    void shippedStartPageLoads()
    {
        frmBrowser *f = frmBrowser::OpenNew(pv::web::kStartPage);
        QTRY_COMPARE_WITH_TIMEOUT(f->windowTitle(), QStringLiteral("Pourvale on the Web"), 20000);
        QCOMPARE(view(f)->url(), QUrl(pv::web::kStartPage));
    }

    void homeGoesToShippedPage()
    {
        frmBrowser *f = openOn(QStringLiteral("/a"), QStringLiteral("Page A"));
        click(f, QStringLiteral("Home"));
        QTRY_COMPARE_WITH_TIMEOUT(f->windowTitle(), QStringLiteral("Pourvale on the Web"), 20000);
        QCOMPARE(view(f)->url(), QUrl(pv::web::kHomePage));
    }

    void enterNavigatesWithoutListing()
    {
        frmBrowser *f = openOn(QStringLiteral("/a"), QStringLiteral("Page A"));
        typeAndEnter(f, m_server.url(QStringLiteral("/b")));
        QTRY_COMPARE_WITH_TIMEOUT(f->windowTitle(), QStringLiteral("Page B"), 20000);
        QCOMPARE(view(f)->url(), QUrl(m_server.url(QStringLiteral("/b"))));
        QCOMPARE(box(f)->count(), 1);
        QCOMPARE(box(f)->itemText(0), m_server.url(QStringLiteral("/a")));
    }

    void backWithoutHistoryThenWithIt()
    {
        frmBrowser *f = openOn(QStringLiteral("/a"), QStringLiteral("Page A"));
        QTRY_VERIFY(!timer(f)->isActive());
        f->setWindowTitle(QStringLiteral("stale"));
        click(f, QStringLiteral("Back"));
        QTRY_VERIFY(!timer(f)->isActive());
        QCOMPARE(f->windowTitle(), QStringLiteral("Page A"));
        QCOMPARE(view(f)->url(), QUrl(m_server.url(QStringLiteral("/a"))));

        typeAndEnter(f, m_server.url(QStringLiteral("/b")));
        QTRY_COMPARE_WITH_TIMEOUT(f->windowTitle(), QStringLiteral("Page B"), 20000);
        click(f, QStringLiteral("Back"));
        QTRY_COMPARE_WITH_TIMEOUT(f->windowTitle(), QStringLiteral("Page A"), 20000);
        click(f, QStringLiteral("Forward"));
        QTRY_COMPARE_WITH_TIMEOUT(f->windowTitle(), QStringLiteral("Page B"), 20000);
    }

    void stopWhileSlowPageLoads()
    {
        frmBrowser *f = openOn(QStringLiteral("/a"), QStringLiteral("Page A"));
        typeAndEnter(f, m_server.url(QStringLiteral("/slow")));
        QTRY_COMPARE(f->windowTitle(), QStringLiteral("Working..."));
        click(f, QStringLiteral("Stop"));
        QVERIFY(!timer(f)->isActive());
        QVERIFY(f->windowTitle() != QStringLiteral("Working..."));
        // The answer that comes later is not shown.
        QTest::qWait(kSlowMs + 500);
        QVERIFY(f->windowTitle() != QStringLiteral("Working..."));
        QVERIFY(f->windowTitle() != QStringLiteral("Slow page"));
    }

    void twoWindowsAreIndependent()
    {
        frmBrowser *first = openOn(QStringLiteral("/a"), QStringLiteral("Page A"));
        frmBrowser *second = openOn(QStringLiteral("/a"), QStringLiteral("Page A"));
        QVERIFY(first != second);
        QVERIFY(pv::Screen().isLoaded(first) && pv::Screen().isLoaded(second));
        QVERIFY(view(first) != view(second));

        typeAndEnter(second, m_server.url(QStringLiteral("/b")));
        QTRY_COMPARE_WITH_TIMEOUT(second->windowTitle(), QStringLiteral("Page B"), 20000);
        QCOMPARE(first->windowTitle(), QStringLiteral("Page A"));
        QCOMPARE(view(first)->url(), QUrl(m_server.url(QStringLiteral("/a"))));

        pv::Screen().Unload(first);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(pv::Screen().isLoaded(second));
        click(second, QStringLiteral("Back"));
        QTRY_COMPARE_WITH_TIMEOUT(second->windowTitle(), QStringLiteral("Page A"), 20000);
    }

    void mainWindowOpensOneMoreBrowserEachTime()
    {
        pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
        auto *main = pv::Screen().Load<frmMain>();
        pv::Screen().Show(main);
        main->findChild<QAction *>(QStringLiteral("mnuViewBrowser"))->trigger();
        main->findChild<QAction *>(QStringLiteral("mnuViewBrowser"))->trigger();
        main->findChild<QAction *>(QStringLiteral("tbBrowser"))->trigger();
        QList<frmBrowser *> browsers;
        for (pv::Form *f : pv::Screen().forms())
            if (auto *b = dynamic_cast<frmBrowser *>(f))
                browsers << b;
        QCOMPARE(browsers.size(), 3);
        for (frmBrowser *b : browsers) {
            QCOMPARE(b->StartingAddress, pv::web::kStartPage);
            QTRY_COMPARE_WITH_TIMEOUT(b->windowTitle(), QStringLiteral("Pourvale on the Web"), 20000);
        }
        // Closing the main window closes them all.
        pv::Screen().Unload(main);
        QCOMPARE(pv::Screen().formsCount(), 0);
    }

    void emptyStartingAddress()
    {
        frmBrowser *f = frmBrowser::OpenNew(QString());
        QVERIFY(f->isVisible());
        QCOMPARE(box(f)->currentText(), QString());
        QCOMPARE(box(f)->count(), 0);
        QVERIFY(!timer(f)->isActive());
        QTest::qWait(200);
        QVERIFY(view(f)->url().isEmpty());
        QCOMPARE(f->windowTitle(), QStringLiteral("Pourvale Web Browser"));
    }

    void failingNavigationFromAddressBox()
    {
        MsgRecorder msgs;
        frmBrowser *f = openOn(QStringLiteral("/a"), QStringLiteral("Page A"));
        typeAndEnter(f, QStringLiteral("http://no such host"));
        QCOMPARE(msgs.calls.size(), 1);
        QVERIFY2(msgs.last().contains(QStringLiteral("http://no such host")), qPrintable(msgs.last()));
        QTRY_VERIFY(!timer(f)->isActive());
        QCOMPARE(f->windowTitle(), QStringLiteral("Page A"));
        QCOMPARE(view(f)->url(), QUrl(m_server.url(QStringLiteral("/a"))));
    }

    void tinyWindowKeepsLayoutSane()
    {
        frmBrowser *f = openOn(QStringLiteral("/a"), QStringLiteral("Page A"));
        auto *page = f->findChild<QWidget *>(QStringLiteral("brwWebBrowser"));
        // Less room below the strip than the bottom margin needs.
        f->resize(120, 70);
        QTRY_COMPARE(f->centralWidget()->width(), 120);
        QVERIFY(f->centralWidget()->height() < 52);
        QCOMPARE(page->size(), QSize(113, 0));
        f->resize(600, 450);
        QTRY_COMPARE(f->centralWidget()->width(), 600);
        QCOMPARE(page->geometry(), QRect(3, 45, 593, f->centralWidget()->height() - 52));
        // The page still works after being squeezed.
        typeAndEnter(f, m_server.url(QStringLiteral("/b")));
        QTRY_COMPARE_WITH_TIMEOUT(f->windowTitle(), QStringLiteral("Page B"), 20000);
    }
};

int main(int argc, char **argv)
{
    pvtest::prepareEnvironment();
    // The tests run as root in CI, where the engine needs its sandbox off.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    pv::prepareWebEngine();
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    tst_browser tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_browser.moc"
