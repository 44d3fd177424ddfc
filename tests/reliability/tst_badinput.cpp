// Whatever a person types, pastes or leaves in the settings, the main window
// keeps it exactly (box, file and box again) and never ends the program.
#include "TestSupport.h"

#include "browser/frmMain.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

using pv::Screen;

namespace {

// The 23 bound boxes and their columns.
QList<QPair<int, QString>> boundFields()
{
    QList<QPair<int, QString>> out{{0, QStringLiteral("DrinkName")}};
    for (int k = 1; k <= 10; ++k) {
        out.append({2 * k - 1, QStringLiteral("Qty%1").arg(k)});
        out.append({2 * k, QStringLiteral("Ing%1").arg(k)});
    }
    out.append({21, QStringLiteral("Directions")});
    out.append({-1, QStringLiteral("Glass")}); // txtGlassname
    return out;
}

QString column(const QString &db, const QString &col, const QString &where)
{
    return pvtest::queryColumn(db, QStringLiteral("SELECT %1 FROM drinklst WHERE %2").arg(col, where)).value(0);
}

// Text of `n` characters, mixing scripts so that characters and bytes differ.
QString longText(const QString &tag, int n)
{
    static const QString pool = QStringLiteral("Shake, strain; garnish. Ünïcödé 梅酒 🍸 ");
    QString s = tag + QLatin1Char(' ');
    while (s.size() < n)
        s += pool;
    s.truncate(n);
    if (s.at(n - 1).isHighSurrogate()) // do not cut a character in two
        s[n - 1] = QLatin1Char('.');
    return s;
}

using pvtest::typeText;

} // namespace

class TestBadInput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void longTextsInEveryBox();
    void unicodeKeepsItsShape_data();
    void unicodeKeepsItsShape();
    void spacesAndControlCharacters();
    void everyPatternCharacterSearchesLiterally();
    void oddStoredPlacement_data();
    void oddStoredPlacement();

private:
    frmMain *open();
    void click(const char *name);
    QWidget *box(int index) { return index < 0 ? m_main->txtGlassname : m_main->txtFields[size_t(index)]; }
    QString boxText(int index) { return index < 0 ? m_main->txtGlassname->text() : m_main->fieldText(index); }
    void paste(QWidget *w, const QString &text);
    // Every drink name the search finds, in order, for `text`.
    QStringList searchAll(const QString &text);

    std::unique_ptr<pvtest::AppFolder> m_app;
    std::unique_ptr<pvtest::MsgRecorder> m_msgs;
    frmMain *m_main = nullptr;
};

void TestBadInput::init()
{
    QSettings(QStringLiteral("Pourvale"), QStringLiteral("Pourvale")).clear();
    m_app = std::make_unique<pvtest::AppFolder>(pvtest::AppFolder::Seed::Small);
    m_msgs = std::make_unique<pvtest::MsgRecorder>();
}

void TestBadInput::cleanup()
{
    pvtest::unloadAll();
    m_main = nullptr;
    m_msgs.reset();
    m_app.reset();
}

frmMain *TestBadInput::open()
{
    m_main = Screen().Load<frmMain>();
    Screen().Show(m_main);
    for (int i = 0; i < 50 && !m_main->Data1->cursor(); ++i)
        QTest::qWait(10);
    return m_main;
}

void TestBadInput::click(const char *name)
{
    auto *b = m_main->findChild<QPushButton *>(QLatin1String(name));
    QVERIFY2(b, name);
    QTest::mouseClick(b, Qt::LeftButton);
}

void TestBadInput::paste(QWidget *w, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    w->setFocus();
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
}

QStringList TestBadInput::searchAll(const QString &text)
{
    QStringList found;
    m_msgs->clear();
    m_main->txtSearchString->setText(text);
    click("cmdSearch");
    while (m_msgs->calls.isEmpty() && found.size() < 100) {
        found << m_main->fieldText(0);
        click("cmdFindNext");
    }
    return found;
}

void TestBadInput::longTextsInEveryBox()
{
    open();
    click("cmdAdd");
    const auto fields = boundFields();
    QStringList typed;
    for (const auto &f : fields) {
        typed << longText(f.second, 10000);
        paste(box(f.first), typed.last());
        QCOMPARE(boxText(f.first), typed.last()); // nothing cut off on the way in
    }
    click("cmdBegofFile");
    QVERIFY(m_msgs->calls.isEmpty());
    const QString where = QStringLiteral("DrinkName LIKE 'DrinkName %'");
    for (int i = 0; i < fields.size(); ++i)
        QVERIFY2(column(m_app->catalogue(), fields[i].second, where) == typed[i], qPrintable(fields[i].second));

    // Back on screen exactly as typed.
    click("cmdEndofList");
    for (int i = 0; i < fields.size(); ++i)
        QCOMPARE(boxText(fields[i].first), typed[i]);

    // A 10,000-character search: no match, then the stored name itself.
    paste(m_main->txtSearchString, longText(QStringLiteral("nothing"), 10000));
    click("cmdSearch");
    QCOMPARE(m_msgs->last(), QStringLiteral("There are no drinks that match your search"));
    click("cmdBegofFile");
    paste(m_main->txtSearchString, typed[0]);
    click("cmdSearch");
    QCOMPARE(m_main->fieldText(0), typed[0]);
    QCOMPARE(m_msgs->calls.size(), 1);

    // Replaced by another long text in an existing row, through a move.
    const QString again = longText(QStringLiteral("again"), 10000);
    paste(m_main->txtFields[21], again);
    click("cmdPrevious");
    QCOMPARE(column(m_app->catalogue(), QStringLiteral("Directions"), where), again);
}

void TestBadInput::unicodeKeepsItsShape_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("search"); // a part of the name in another case
    QTest::newRow("accents") << QStringLiteral("Café Crème Brûlée") << QStringLiteral("CRÈME");
    QTest::newRow("cjk") << QStringLiteral("梅酒ソーダ割り") << QStringLiteral("ソーダ");
    QTest::newRow("hangul") << QStringLiteral("소주 칵테일") << QStringLiteral("칵테일");
    QTest::newRow("greek") << QStringLiteral("Ούζο με νερό") << QStringLiteral("ΟΎΖΟ");
    QTest::newRow("cyrillic") << QStringLiteral("Водка с тоником") << QStringLiteral("ВОДКА");
    QTest::newRow("arabic") << QStringLiteral("عرق بالثلج") << QStringLiteral("بالثلج");
    QTest::newRow("emoji") << QStringLiteral("Tiki 🍹🔥 Bowl") << QStringLiteral("🔥 b");
    QTest::newRow("joined emoji") << QStringLiteral("Bartender 🧑‍🍳 Special") << QStringLiteral("🧑‍🍳");
    QTest::newRow("combining marks") << QStringLiteral("Cafe\u0301 Noir") << QStringLiteral("E\u0301 N");
    QTest::newRow("outside the basic plane") << QStringLiteral("𝐆𝐢𝐧 𝐅𝐢𝐳𝐳") << QStringLiteral("𝐅𝐢𝐳𝐳");
}

void TestBadInput::unicodeKeepsItsShape()
{
    QFETCH(QString, name);
    QFETCH(QString, search);
    open();
    click("cmdAdd");
    typeText(m_main->txtFields[0], name);
    typeText(m_main->txtFields[2], name.left(4));
    typeText(m_main->txtFields[21], name);
    QTest::keyClick(m_main->txtFields[21], Qt::Key_Return);
    typeText(m_main->txtFields[21], name);
    typeText(m_main->txtGlassname, name);
    QCOMPARE(m_main->fieldText(0), name);
    click("cmdBegofFile");
    QVERIFY(m_msgs->calls.isEmpty());

    const QString where = QStringLiteral("rowid = (SELECT max(rowid) FROM drinklst)");
    QCOMPARE(column(m_app->catalogue(), QStringLiteral("DrinkName"), where), name);
    QCOMPARE(column(m_app->catalogue(), QStringLiteral("Ing1"), where), name.left(4));
    QCOMPARE(column(m_app->catalogue(), QStringLiteral("Directions"), where), name + QLatin1Char('\n') + name);
    QCOMPARE(column(m_app->catalogue(), QStringLiteral("Glass"), where), name);

    // Found by a part of it in another letter case, and shown as stored.
    QCOMPARE(searchAll(search), QStringList{name});
    QCOMPARE(m_main->fieldText(21), name + QLatin1Char('\n') + name);
}

void TestBadInput::spacesAndControlCharacters()
{
    open();
    // A new row of nothing but spaces was typed into: it is stored as typed.
    click("cmdAdd");
    m_main->txtFields[0]->setFocus();
    QTest::keyClicks(m_main->txtFields[0], QStringLiteral("   "));
    QTest::keyClicks(m_main->txtGlassname, QStringLiteral(" "));
    click("cmdBegofFile");
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT count(*) FROM drinklst WHERE DrinkName = '   ' AND "
                                                     "Glass = ' '"),
             QStringList{"1"});

    // Control characters that reach a box by pasting stay exactly as the box
    // holds them, on the way to the file and back.
    const QString odd = QStringLiteral("Bell\a Esc\x1b Del\x7f Tab\t Nul") + QChar(0) + QStringLiteral(" end");
    paste(m_main->txtFields[0], odd);
    paste(m_main->txtFields[21], QStringLiteral("line\r\nnext\rthird\x0c\x01"));
    paste(m_main->txtGlassname, QStringLiteral("\t"));
    const QString nameShown = m_main->fieldText(0);
    const QString directionsShown = m_main->fieldText(21);
    QVERIFY(nameShown.contains(QStringLiteral("Bell\a")));
    click("cmdNext");
    QVERIFY(m_msgs->calls.isEmpty());
    click("cmdPrevious");
    QCOMPARE(m_main->fieldText(0), nameShown);
    QCOMPARE(m_main->fieldText(21), directionsShown);
    QCOMPARE(m_main->txtGlassname->text(), QStringLiteral("\t"));
    // (compared byte for byte: the NUL stays)
    QCOMPARE(column(m_app->catalogue(), QStringLiteral("hex(DrinkName)"), QStringLiteral("rowid = 1")),
             QString::fromLatin1(nameShown.toUtf8().toHex().toUpper()));

    // And the search finds them by those characters.
    QCOMPARE(searchAll(QStringLiteral("\a Esc\x1b")), QStringList{nameShown});
    QCOMPARE(searchAll(QStringLiteral("   ")), QStringList{"   "});
    QCOMPARE(Screen().formsCount(), 1);
}

void TestBadInput::everyPatternCharacterSearchesLiterally()
{
    // One drink per printable ASCII sign, and a few that hold several.
    const QString signs = QStringLiteral("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~");
    QString sql = QStringLiteral("INSERT INTO drinklst (DrinkName) VALUES ");
    QStringList values;
    for (QChar c : signs)
        values << QStringLiteral("('Sign %1 Sour')").arg(c == QLatin1Char('\'') ? QStringLiteral("''") : QString(c));
    values << QStringLiteral("('[!a-z]* Punch')") << QStringLiteral("('Mary''s ''Bloody'' Mary')")
           << QStringLiteral("('100%_Proof')") << QStringLiteral("('Back\\slash [x]')");
    pvtest::execSql(m_app->catalogue(), sql + values.join(QStringLiteral(", ")));
    open();

    QStringList names;
    for (const QString &n : pvtest::queryColumn(m_app->catalogue(), "SELECT DrinkName FROM drinklst ORDER BY rowid"))
        names << n;
    auto expected = [&names](const QString &text) {
        QStringList out;
        for (const QString &n : names)
            if (n.contains(text, Qt::CaseInsensitive))
                out << n;
        return out;
    };
    QStringList searches;
    for (QChar c : signs)
        searches << QString(c);
    searches << QStringLiteral("''") << QStringLiteral("'Bloody'") << QStringLiteral("[!a-z]")
             << QStringLiteral("[!a-z]*") << QStringLiteral("[a-z]") << QStringLiteral("[]") << QStringLiteral("[!]")
             << QStringLiteral("%_") << QStringLiteral("_") << QStringLiteral("\\s") << QStringLiteral("*?#[")
             << QStringLiteral("' OR '1'='1") << QStringLiteral("\"") << QStringLiteral("x]")
             << QStringLiteral("Sign ? Sour") << QStringLiteral("S*r");
    for (const QString &s : searches) {
        const QStringList want = expected(s);
        const QStringList got = searchAll(s);
        QVERIFY2(got == want, qPrintable(QStringLiteral("search %1: found [%2], expected [%3]")
                                             .arg(s, got.join(QStringLiteral("|")), want.join(QStringLiteral("|")))));
        const QString done = want.isEmpty() ? QStringLiteral("There are no drinks that match your search")
                                            : QStringLiteral("There are no more drinks that match your search");
        QCOMPARE(m_msgs->last(), done);
    }
    QCOMPARE(Screen().formsCount(), 1);
}

void TestBadInput::oddStoredPlacement_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("empty") << QString();
    QTest::newRow("spaces") << QStringLiteral("   ");
    QTest::newRow("padded number") << QStringLiteral("  1500  ");
    QTest::newRow("comma decimal") << QStringLiteral("1,5");
    QTest::newRow("hex") << QStringLiteral("0x400");
    QTest::newRow("trailing letters") << QStringLiteral("1200abc");
    QTest::newRow("nan") << QStringLiteral("NaN");
    QTest::newRow("infinity") << QStringLiteral("inf");
    QTest::newRow("minus infinity") << QStringLiteral("-inf");
    QTest::newRow("beyond single precision") << QStringLiteral("1e300");
    QTest::newRow("huge negative") << QStringLiteral("-1e30");
    QTest::newRow("twenty digits") << QStringLiteral("99999999999999999999");
    QTest::newRow("other digits") << QStringLiteral("١٢٣٤");
    QTest::newRow("tiny fraction") << QStringLiteral("0.0001");
    QTest::newRow("long text") << QString(10000, QLatin1Char('9'));
}

void TestBadInput::oddStoredPlacement()
{
    QFETCH(QString, value);
    {
        QSettings s(QStringLiteral("Pourvale"), QStringLiteral("Pourvale"));
        for (const char *key : {"MainLeft", "MainTop", "MainWidth", "MainHeight"})
            s.setValue(QStringLiteral("Settings/") + QLatin1String(key), value);
    }
    open();
    QCOMPARE(m_main->fieldText(0), QStringLiteral("Bee's Knees"));
    QVERIFY(m_msgs->calls.isEmpty());
    QVERIFY(m_main->Width() >= 1500 && m_main->Height() >= 1500);
    // The window can be reached: its top edge lies on a screen.
    const QRect frame(m_main->pos(), m_main->size());
    bool reachable = false;
    for (QScreen *sc : QGuiApplication::screens())
        reachable = reachable || sc->availableGeometry().intersects(QRect(frame.left(), frame.top(), frame.width(), 1));
    QVERIFY2(reachable, qPrintable(QStringLiteral("window at %1,%2").arg(frame.left()).arg(frame.top())));

    // Closing stores plain numbers, which the next start reads back unchanged.
    const QPoint pos = m_main->pos();
    const QSize size = m_main->size();
    Screen().Unload(m_main);
    QSettings s(QStringLiteral("Pourvale"), QStringLiteral("Pourvale"));
    for (const char *key : {"MainLeft", "MainTop", "MainWidth", "MainHeight"}) {
        bool ok = false;
        s.value(QStringLiteral("Settings/") + QLatin1String(key)).toString().toDouble(&ok);
        QVERIFY2(ok, key);
    }
    pvtest::unloadAll();
    open();
    QCOMPARE(m_main->pos(), pos);
    QCOMPARE(m_main->size(), size);
}

PV_TEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
