#include "TestSupport.h"
#include "app/SvgPicture.h"
#include "app/frmSplash.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

using namespace pv;

namespace
{

// Stands in for the main window in the tests of the program's start.
class FakeMain : public QWidget, public Form
{
public:
    QWidget *widget() override { return this; }
};

// Runs the application's event loop as main() does, with `first` queued as
// its first event; gives up after `limitMs`. Returns the time it ran.
qint64 runProgram(const std::function<void()> &first, int limitMs, bool *timedOut)
{
    *timedOut = false;
    QTimer::singleShot(0, qApp, first);
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, qApp, [timedOut] {
        *timedOut = true;
        QCoreApplication::exit(1);
    });
    limit.start(limitMs);
    QElapsedTimer clock;
    clock.start();
    QApplication::exec();
    return clock.elapsed();
}

} // namespace

class TestSplash : public QObject
{
    Q_OBJECT

    int m_mainOpened = 0;
    bool m_splashLoadedAtMain = false;

    static bool splashLoaded()
    {
        for (Form *f : Screen().forms())
            if (dynamic_cast<frmSplash *>(f))
                return true;
        return false;
    }

    frmSplash *openSplash(int interval = 0)
    {
        frmSplash *splash = Screen().Load<frmSplash>();
        if (interval > 0)
            splash->Timer1->setInterval(interval);
        Screen().Show(splash);
        return splash;
    }

private slots:
    void init()
    {
        m_mainOpened = 0;
        m_splashLoadedAtMain = false;
        frmSplash::openMainWindow = [this] {
            ++m_mainOpened;
            m_splashLoadedAtMain = splashLoaded();
        };
    }

    void cleanup()
    {
        pvtest::unloadAll();
        frmSplash::openMainWindow = nullptr;
    }

    void designedWindow()
    {
        frmSplash *splash = openSplash();
        QCOMPARE(splash->Frame1->title(), QStringLiteral(" Where Would You Like To Go? "));
        QCOMPARE(splash->cmdStart->text(), QStringLiteral("Start"));
        QCOMPARE(splash->lblProductName->text(), QStringLiteral("Pourvale"));
        QCOMPARE(splash->lblVersion->text(), QStringLiteral("Version 3.1"));
        QCOMPARE(splash->lblPlatform->text(), QStringLiteral("Windows 95/98"));
        QCOMPARE(splash->Label1->text(), QStringLiteral("2000/ME/NT/XP"));
        QCOMPARE(splash->lblThankYou->text(), QStringLiteral("Thank You For Using Pourvale."));

        struct Font {
            QLabel *label;
            qreal points;
        };
        for (const Font &f : {Font{splash->lblProductName, 24}, Font{splash->lblVersion, 12},
                              Font{splash->lblPlatform, 15.75}, Font{splash->Label1, 15.75}}) {
            QCOMPARE(f.label->font().family(), QStringLiteral("Arial"));
            QCOMPARE(f.label->font().pointSizeF(), f.points);
            QVERIFY(f.label->font().bold());
        }
        // Label1 completes the platform line directly beneath it.
        QCOMPARE(splash->Label1->x(), splash->lblPlatform->x());
        QCOMPARE(splash->Label1->y(), splash->lblPlatform->geometry().bottom() + 1);

        for (SvgPicture *p : {splash->Picture3, splash->Picture1, splash->picLogo})
            QVERIFY2(p->isValid(), qPrintable(p->source()));
        QCOMPARE(splash->Picture3->size(), QSize(32, 32));

        for (QWidget *w : std::initializer_list<QWidget *>{splash->fraMainFrame, splash->Frame1, splash->cmdStart,
                                                           splash->Picture1, splash->Picture3, splash->picLogo,
                                                           splash->lblProductName, splash->lblVersion,
                                                           splash->lblPlatform, splash->Label1, splash->lblThankYou})
            QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
        QCOMPARE(splash->findChild<QPushButton *>(QStringLiteral("cmdStart")), splash->cmdStart);

        QCOMPARE(splash->Timer1->interval(), 30000);
        QVERIFY(splash->Timer1->isActive());
    }

    void startBeforeAnyReminder()
    {
        pvtest::MsgRecorder rec;
        frmSplash *splash = openSplash(150);
        QPointer<QTimer> timer = splash->Timer1;
        QTest::mouseClick(splash->cmdStart, Qt::LeftButton);

        QCOMPARE(m_mainOpened, 1);
        QVERIFY(!m_splashLoadedAtMain);
        QVERIFY(!splashLoaded());
        QVERIFY(!timer || !timer->isActive());
        QTest::qWait(600);
        QVERIFY(rec.calls.isEmpty());
        QVERIFY(!timer); // gone with its window
    }

    void remindersThenStart()
    {
        pvtest::MsgRecorder rec;
        frmSplash *splash = openSplash(60);
        QTRY_COMPARE_WITH_TIMEOUT(rec.calls.size(), 2, 2000);
        for (const MsgBoxCall &c : rec.calls) {
            QCOMPARE(c.prompt, QStringLiteral("Well, let's go! I don't have all day!"));
            QCOMPARE(c.style, 0);
            QVERIFY(c.title.isEmpty());
        }
        // After OK the window waits as before.
        QVERIFY(splashLoaded());
        QVERIFY(splash->isVisible());
        QVERIFY(splash->Timer1->isActive());
        QCOMPARE(splash->lblThankYou->text(), QStringLiteral("Thank You For Using Pourvale."));
        QCOMPARE(m_mainOpened, 0);

        QTest::mouseClick(splash->cmdStart, Qt::LeftButton);
        const qsizetype seen = rec.calls.size();
        QCOMPARE(m_mainOpened, 1);
        QTest::qWait(400);
        QCOMPARE(rec.calls.size(), seen);
    }

    void tickWhileReminderIsUpIsSkipped()
    {
        const int interval = 40;
        int shown = 0;
        int nested = 0;
        MsgBoxCall first;
        ScreenView::MsgBoxHandler previous = Screen().setMsgBoxHandler([&](const MsgBoxCall &c) {
            ++shown;
            if (shown == 1) {
                // The user leaves the first reminder up for several ticks.
                first = c;
                const int before = shown;
                QTest::qWait(interval * 6);
                nested = shown - before;
            }
            return int(vbOK);
        });
        openSplash(interval);
        QTRY_VERIFY_WITH_TIMEOUT(shown >= 2, 3000);
        Screen().setMsgBoxHandler(previous);
        QCOMPARE(first.prompt, frmSplash::kReminder);
        QCOMPARE(nested, 0);
    }

    void closeBoxEndsTheProgramWithoutMainWindow()
    {
        pvtest::MsgRecorder rec;
        frmSplash *splash = openSplash(60);
        QPointer<QTimer> timer = splash->Timer1;
        QVERIFY(QTest::qWaitForWindowExposed(splash));

        bool timedOut = false;
        runProgram([splash] { splash->close(); }, 3000, &timedOut);

        QVERIFY(!timedOut);
        QVERIFY(!splashLoaded());
        QVERIFY(!timer || !timer->isActive());
        QCOMPARE(m_mainOpened, 0);
        QVERIFY(rec.calls.isEmpty());
    }

    void startKeepsTheProgramRunning()
    {
        FakeMain *main = nullptr;
        // As the program sets it: the main window, and the end with the last window.
        frmSplash::openMainWindow = [&main] {
            main = new FakeMain;
            Screen().LoadNew(main);
            Screen().Show(main);
            Screen().setQuitWhenLastUnloaded(true);
            // The main window's own close ends the program later.
            QTimer::singleShot(300, main, [main] { Screen().Unload(main); });
        };
        frmSplash *splash = openSplash();
        bool timedOut = false;
        const qint64 ran =
            runProgram([splash] { QTest::mouseClick(splash->cmdStart, Qt::LeftButton); }, 3000, &timedOut);
        Screen().setQuitWhenLastUnloaded(false);

        QVERIFY(!timedOut);
        QVERIFY(main);
        QVERIFY2(ran >= 300, "the program ended as the start-up window closed");
        QVERIFY(!splashLoaded());
    }
};

PV_TEST_MAIN(TestSplash)
#include "tst_splash.moc"
