#include "TestSupport.h"
#include "app/SvgPicture.h"
#include "app/SysInfo.h"
#include "app/frmAbout.h"

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace pv;

namespace
{

// A registry in memory that logs every call.
class FakeRegistry : public Registry
{
public:
    struct Value {
        std::uint32_t type;
        QByteArray bytes;
    };
    // key path under HKEY_LOCAL_MACHINE -> value name -> value
    QMap<QString, QMap<QString, Value>> keys;
    QStringList log;
    QList<Key> closed;
    QList<std::uint32_t> accessAsked;

    void set(const QString &key, const QString &name, std::uint32_t type, const QByteArray &bytes)
    {
        keys[key][name] = Value{type, bytes};
    }

    long open(Key root, const QString &subKey, std::uint32_t options, std::uint32_t access, Key &key) override
    {
        log << QStringLiteral("open ") + subKey;
        accessAsked << access;
        const QStringList paths = keys.keys();
        const qsizetype at = paths.indexOf(subKey);
        if (root != kHKeyLocalMachine || options != 0 || at < 0)
            return kErrorFileNotFound; // key left as it was
        key = Key(100 + at);
        return kErrorSuccess;
    }

    long query(Key key, const QString &valueName, std::uint32_t &type, QByteArray &buffer, std::uint32_t &size) override
    {
        log << QStringLiteral("query ") + valueName;
        const QStringList paths = keys.keys();
        const auto values = keys.value(paths.value(int(key) - 100));
        if (!values.contains(valueName))
            return kErrorFileNotFound;
        const Value v = values.value(valueName);
        if (std::uint32_t(v.bytes.size()) > size || buffer.size() < v.bytes.size()) {
            size = std::uint32_t(v.bytes.size());
            return kErrorMoreData;
        }
        std::copy(v.bytes.begin(), v.bytes.end(), buffer.begin());
        size = std::uint32_t(v.bytes.size());
        type = v.type;
        return kErrorSuccess;
    }

    long close(Key key) override
    {
        log << QStringLiteral("close");
        closed << key;
        return kErrorSuccess;
    }
};

struct UseRegistry {
    explicit UseRegistry(Registry *r) : previous(setRegistry(r)) {}
    ~UseRegistry() { setRegistry(previous); }
    Registry *previous;
};

QByteArray sz(const char *text, bool terminated = true)
{
    QByteArray b(text);
    if (terminated)
        b.append('\0');
    return b;
}

// An executable that leaves a mark next to itself when it runs.
QString writeTool(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write("#!/bin/sh\ntouch \"$0.ran\"\n");
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return path;
}

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

    // Shows the About box modal over `owner`; `whileOpen` runs once it is up.
    // Returns false when the box had to be closed by force.
    static bool showModal(QWidget *owner, const std::function<void(frmAbout *)> &whileOpen)
    {
        frmAbout *about = Screen().Load<frmAbout>();
        bool forced = false;
        QTimer::singleShot(0, about, [about, whileOpen] { whileOpen(about); });
        QTimer::singleShot(3000, about, [about, &forced] {
            forced = true;
            Screen().Unload(about);
        });
        Screen().Show(about, 1, owner);
        return !forced;
    }

    static bool aboutLoaded()
    {
        for (Form *f : Screen().forms())
            if (dynamic_cast<frmAbout *>(f))
                return true;
        return false;
    }

private slots:
    void cleanup() { pvtest::unloadAll(); }

    // --- the window -----------------------------------------------------------

    void designedWindow()
    {
        frmAbout *about = Screen().Load<frmAbout>();
        QCOMPARE(about->windowTitle(), QStringLiteral("About Pourvale"));
        QCOMPARE(about->lblProductName->text(), QStringLiteral("Pourvale"));
        QCOMPARE(about->lblProductName->font().family(), QStringLiteral("Arial"));
        QCOMPARE(about->lblVersion->text(), QStringLiteral("Version 3.1.0"));
        QCOMPARE(about->cmdOK->text(), QStringLiteral("OK"));
        QVERIFY(about->cmdOK->isDefault());
        QCOMPARE(about->cmdSysInfo->text(), QStringLiteral("&System Info..."));
        QVERIFY(about->cmdSysInfo->y() > about->cmdOK->geometry().bottom());
        QVERIFY(!about->lblDisclaimer->text().isEmpty());
        QVERIFY(about->Picture1->isValid());
        QVERIFY(about->picIcon->isValid());
        QCOMPARE(about->picIcon->size(), QSize(32, 32));
        QVERIFY(about->Picture1->geometry().bottom() < about->picIcon->y());

        // The separator: a grey line on a white one, above the notice.
        QCOMPARE(about->Line1.size(), std::size_t(2));
        QCOMPARE(about->Line1[0]->objectName(), QStringLiteral("Line1(0)"));
        QCOMPARE(about->Line1[1]->objectName(), QStringLiteral("Line1(1)"));
        QCOMPARE(about->Line1[1]->y(), about->Line1[0]->y() + 1);
        QVERIFY(about->Line1[0]->geometry().bottom() < about->lblDisclaimer->y());
        const QColor grey = about->Line1[0]->grab().toImage().pixelColor(10, 0);
        const QColor white = about->Line1[1]->grab().toImage().pixelColor(10, 0);
        QCOMPARE(white, QColor(Qt::white));
        QVERIFY(grey.red() == grey.green() && grey.green() == grey.blue() && grey.red() < 200);
    }

    void versionLineIsBuiltAtLoad()
    {
        AppInfo &app = Screen().App();
        const AppInfo saved = app;
        app.Major = 4;
        app.Minor = 12;
        app.Revision = 7;
        frmAbout *about = Screen().Load<frmAbout>();
        app = saved;
        QCOMPARE(about->lblVersion->text(), QStringLiteral("Version 4.12.7"));
    }

    void enterEscAndOkCloseTheModalBox_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Enter") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("OK") << 2;
    }

    void enterEscAndOkCloseTheModalBox()
    {
        QFETCH(int, how);
        QWidget owner;
        owner.show();
        bool modalOverOwner = false;
        const bool closed = showModal(&owner, [&](frmAbout *about) {
            modalOverOwner = about->parentWidget() == &owner && about->isModal() && about->isVisible();
            if (how == 0)
                QTest::keyClick(about, Qt::Key_Return);
            else if (how == 1)
                QTest::keyClick(about, Qt::Key_Escape);
            else
                QTest::mouseClick(about->cmdOK, Qt::LeftButton);
        });
        QVERIFY(closed);
        QVERIFY(modalOverOwner);
        QVERIFY(!aboutLoaded());
        QVERIFY(owner.isVisible());
    }

    void systemInfoUnavailableKeepsTheBoxOpen()
    {
        pvtest::MsgRecorder rec;
        FakeRegistry reg;
        UseRegistry use(&reg);
        frmAbout *about = Screen().Load<frmAbout>();
        Screen().Show(about);
        QTest::mouseClick(about->cmdSysInfo, Qt::LeftButton);
        QCOMPARE(rec.prompts(), QStringList{kSysInfoUnavailable});
        QVERIFY(aboutLoaded());
        QVERIFY(about->isVisible());
    }

    // --- GetKeyValue ------------------------------------------------------------------

    void getKeyValueMissingKey()
    {
        FakeRegistry reg;
        UseRegistry use(&reg);
        QString value = QStringLiteral("before");
        QVERIFY(!GetKeyValue(kHKeyLocalMachine, kSysInfoKey, kSysInfoValue, value));
        QVERIFY(value.isEmpty());
        // The handle is closed even though the open failed.
        QCOMPARE(reg.log, (QStringList{QStringLiteral("open ") + kSysInfoKey, QStringLiteral("close")}));
        QCOMPARE(reg.closed, QList<Registry::Key>{0});
        QCOMPARE(reg.accessAsked, QList<std::uint32_t>{0x2003F});
    }

    void getKeyValueMissingValue()
    {
        FakeRegistry reg;
        reg.set(kSysInfoKey, QStringLiteral("OTHER"), kRegSz, sz("x"));
        UseRegistry use(&reg);
        QString value = QStringLiteral("before");
        QVERIFY(!GetKeyValue(kHKeyLocalMachine, kSysInfoKey, kSysInfoValue, value));
        QVERIFY(value.isEmpty());
        QCOMPARE(reg.closed, QList<Registry::Key>{100});
    }

    void getKeyValueStrings_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("with terminating zero") << sz("C:\\Tools\\info.exe") << QStringLiteral("C:\\Tools\\info.exe");
        QTest::newRow("without terminating zero")
            << sz("C:\\Tools\\info.exe", false) << QStringLiteral("C:\\Tools\\info.exe");
        // Only the one last byte is looked at.
        QTest::newRow("two zeros") << QByteArray("ab\0\0", 4) << QStringLiteral("ab") + QChar(0);
        QTest::newRow("one character") << QByteArray("a") << QStringLiteral("a");
        QTest::newRow("only a zero") << QByteArray(1, '\0') << QString();
        QTest::newRow("1024 bytes fit") << QByteArray(1024, 'x') << QString(1024, QLatin1Char('x'));
        QTest::newRow("1023 and a zero") << QByteArray(1023, 'y') + '\0' << QString(1023, QLatin1Char('y'));
    }

    void getKeyValueStrings()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, expected);
        FakeRegistry reg;
        reg.set(kSysInfoKey, kSysInfoValue, kRegSz, stored);
        UseRegistry use(&reg);
        QString value = QStringLiteral("before");
        QVERIFY(GetKeyValue(kHKeyLocalMachine, kSysInfoKey, kSysInfoValue, value));
        QCOMPARE(value, expected);
        QCOMPARE(reg.closed, QList<Registry::Key>{100});
    }

    void getKeyValueTooLongIsNotFound()
    {
        FakeRegistry reg;
        reg.set(kSysInfoKey, kSysInfoValue, kRegSz, QByteArray(1024, 'x') + '\0');
        UseRegistry use(&reg);
        QString value = QStringLiteral("before");
        QVERIFY(!GetKeyValue(kHKeyLocalMachine, kSysInfoKey, kSysInfoValue, value));
        QVERIFY(value.isEmpty());
        QCOMPARE(reg.closed, QList<Registry::Key>{100});
    }

    void getKeyValueNumbersAndOtherTypes_data()
    {
        QTest::addColumn<uint>("type");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("number, high byte zero") << uint(kRegDword) << QByteArray("\x39\x30\0\0", 4) << "12345";
        QTest::newRow("number, all bytes") << uint(kRegDword) << QByteArray("\x04\x03\x02\x01", 4) << "16909060";
        QTest::newRow("number, largest") << uint(kRegDword) << QByteArray("\xff\xff\xff\xff", 4) << "4294967295";
        // Any other type leaves the text as the caller passed it.
        QTest::newRow("binary") << 3u << QByteArray("\x01\x02", 2) << "before";
        QTest::newRow("expandable string") << 2u << sz("%SystemRoot%") << "before";
    }

    void getKeyValueNumbersAndOtherTypes()
    {
        QFETCH(uint, type);
        QFETCH(QByteArray, stored);
        QFETCH(QString, expected);
        FakeRegistry reg;
        reg.set(kSysInfoKey, kSysInfoValue, type, stored);
        UseRegistry use(&reg);
        QString value = QStringLiteral("before");
        QVERIFY(GetKeyValue(kHKeyLocalMachine, kSysInfoKey, kSysInfoValue, value));
        QCOMPARE(value, expected);
    }

    void getKeyValueEmptyValueRaises()
    {
        FakeRegistry reg;
        reg.set(kSysInfoKey, kSysInfoValue, kRegSz, QByteArray());
        UseRegistry use(&reg);
        QString value;
        QVERIFY_THROWS_EXCEPTION(ScreenError, GetKeyValue(kHKeyLocalMachine, kSysInfoKey, kSysInfoValue, value));
        QCOMPARE(reg.closed, QList<Registry::Key>{100});
    }

    // --- StartSysInfo -----------------------------------------------------------------

    void startSysInfo_data()
    {
        QTest::addColumn<QString>("firstPath"); // "-" no value; "=" empty value
        QTest::addColumn<bool>("secondKey");
        QTest::addColumn<bool>("toolInFolder");
        QTest::addColumn<QString>("started"); // "first", "second" or empty
        QTest::addColumn<bool>("secondRead");

        QTest::newRow("first key, file missing") << "missing" << true << true << "" << false;
        QTest::newRow("first key, file there") << "tool" << true << true << "first" << false;
        QTest::newRow("second key, no file") << "-" << true << false << "" << true;
        QTest::newRow("second key, file there") << "-" << true << true << "second" << true;
        QTest::newRow("no key at all") << "-" << false << false << "" << true;
        QTest::newRow("empty first value") << "=" << true << true << "" << false;
    }

    void startSysInfo()
    {
        QFETCH(QString, firstPath);
        QFETCH(bool, secondKey);
        QFETCH(bool, toolInFolder);
        QFETCH(QString, started);
        QFETCH(bool, secondRead);

        QTemporaryDir dir;
        const QString firstTool = writeTool(dir.filePath(QStringLiteral("sysinfo-tool")));
        const QString folder = dir.filePath(QStringLiteral("shared"));
        QVERIFY(QDir().mkpath(folder));
        const QString secondTool = folder + QLatin1Char('/') + kSysInfoExe;
        if (toolInFolder)
            writeTool(secondTool);

        FakeRegistry reg;
        if (firstPath == QLatin1String("="))
            reg.set(kSysInfoKey, kSysInfoValue, kRegSz, QByteArray());
        else if (firstPath == QLatin1String("tool"))
            reg.set(kSysInfoKey, kSysInfoValue, kRegSz, firstTool.toLocal8Bit() + '\0');
        else if (firstPath == QLatin1String("missing"))
            reg.set(kSysInfoKey, kSysInfoValue, kRegSz, dir.filePath(QStringLiteral("gone")).toLocal8Bit() + '\0');
        if (secondKey)
            reg.set(kSysInfoLocationKey, kSysInfoLocationValue, kRegSz, folder.toLocal8Bit() + '\0');
        UseRegistry use(&reg);
        pvtest::MsgRecorder rec;

        StartSysInfo();

        QCOMPARE(reg.log.contains(QStringLiteral("open ") + kSysInfoLocationKey), secondRead);
        if (started.isEmpty()) {
            QCOMPARE(rec.calls.size(), 1);
            QCOMPARE(rec.calls[0].prompt, QStringLiteral("System Information Is Unavailable At This Time"));
            QCOMPARE(rec.calls[0].style, 0);
            QVERIFY(rec.calls[0].title.isEmpty());
            QTest::qWait(200);
            QVERIFY(!QFile::exists(firstTool + QStringLiteral(".ran")));
            QVERIFY(!QFile::exists(secondTool + QStringLiteral(".ran")));
        } else {
            QVERIFY(rec.calls.isEmpty());
            const QString mark = (started == QLatin1String("first") ? firstTool : secondTool) + QStringLiteral(".ran");
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(mark), 5000);
        }
    }

    // --- this system's registry ------------------------------------------------------------

    void systemRegistryAnswersTheToolPathOnly()
    {
        QTemporaryDir bin;
        writeTool(bin.filePath(QStringLiteral("kinfocenter")));
        writeTool(bin.filePath(QStringLiteral("gnome-system-monitor")));
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());

        SystemRegistry reg;
        UseRegistry use(&reg);
        QString value;
        QVERIFY(GetKeyValue(kHKeyLocalMachine, kSysInfoKey, kSysInfoValue, value));
        QCOMPARE(value, bin.filePath(QStringLiteral("gnome-system-monitor")));

        writeTool(bin.filePath(QStringLiteral("hardinfo")));
        QVERIFY(GetKeyValue(kHKeyLocalMachine, kSysInfoKey, kSysInfoValue, value));
        QCOMPARE(value, bin.filePath(QStringLiteral("hardinfo")));

        // Nothing else is there.
        QVERIFY(!GetKeyValue(kHKeyLocalMachine, kSysInfoLocationKey, kSysInfoLocationValue, value));
        QVERIFY(!GetKeyValue(kHKeyLocalMachine, kSysInfoKey, QStringLiteral("VERSION"), value));
        QVERIFY(!GetKeyValue(0x80000001u, kSysInfoKey, kSysInfoValue, value));

        // No tool installed: the value is missing and StartSysInfo says so.
        QTemporaryDir empty;
        qputenv("PATH", empty.path().toLocal8Bit());
        QVERIFY(!GetKeyValue(kHKeyLocalMachine, kSysInfoKey, kSysInfoValue, value));
        pvtest::MsgRecorder rec;
        StartSysInfo();
        QCOMPARE(rec.prompts(), QStringList{kSysInfoUnavailable});

        qputenv("PATH", savedPath);
    }
};

PV_TEST_MAIN(TestAbout)
#include "tst_about.moc"
