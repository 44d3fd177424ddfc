// The recipe card as a person uses it: opened from the View menu, following
// the main window, units, servings and batch chosen with the keyboard and
// the mouse, the choices kept, the PDF read back, the Drink List's pane;
// and the same card on the command line.
#include "TestSupport.h"

#include "browser/frmMain.h"
#include "card/frmRecipeCard.h"
#include "drinklist/frmDrinkList.h"
#include "ui/FileChooser.h"

#include <QComboBox>
#include <QStyle>
#include <QSvgRenderer>
#include <QSvgWidget>
#include <QProcess>
#include <QSettings>
#include <QSpinBox>
#include <QTextBrowser>

using pv::Screen;

class TestRecipeCard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void cardFollowsTheMainWindowAndKeepsItsChoices();
    void commandLine();

private:
    void search(const QString &text);
    QString cardText() const { return m_card->card->txtCard->toPlainText(); }

    std::unique_ptr<pvtest::AppFolder> m_app;
    std::unique_ptr<pvtest::MsgRecorder> m_msgs;
    frmMain *m_main = nullptr;
    frmRecipeCard *m_card = nullptr;
};

void TestRecipeCard::init()
{
    QSettings(QStringLiteral("Pourvale"), QStringLiteral("Pourvale")).clear();
    pv::CardChoices::instance().load();
    m_app = std::make_unique<pvtest::AppFolder>(pvtest::AppFolder::Seed::Bundled);
    m_msgs = std::make_unique<pvtest::MsgRecorder>();
}

void TestRecipeCard::cleanup()
{
    pvtest::unloadAll();
    m_main = nullptr;
    m_card = nullptr;
    m_msgs.reset();
    m_app.reset();
}

void TestRecipeCard::search(const QString &text)
{
    m_main->txtSearchString->clear();
    pvtest::typeText(m_main->txtSearchString, text);
    QTest::mouseClick(m_main->cmdSearch, Qt::LeftButton);
}

void TestRecipeCard::cardFollowsTheMainWindowAndKeepsItsChoices()
{
    m_main = Screen().Load<frmMain>();
    Screen().Show(m_main);
    QTRY_VERIFY(m_main->Data1->cursor());
    search(QStringLiteral("Kingston Negroni"));
    QCOMPARE(m_main->fieldText(0), QStringLiteral("Kingston Negroni"));

    m_main->findChild<QAction *>(QStringLiteral("mnuRecipeCard"))->trigger();
    m_card = Screen().Load<frmRecipeCard>();
    QVERIFY(m_card->isVisible());
    pv::RecipeCardView *v = m_card->card;
    QVERIFY(cardText().startsWith(QStringLiteral("Kingston Negroni")));
    QVERIFY2(cardText().contains(QRegularExpression(QStringLiteral("1 oz\\s+Jamaican Rum"))), qPrintable(cardText()));
    QVERIFY(cardText().contains(QStringLiteral("Method: stirred")));
    QVERIFY(cardText().contains(QStringLiteral("% ABV in 125 ml")));

    // The main window moves; the card follows.
    QTest::mouseClick(m_main->cmdNext, Qt::LeftButton);
    const QString next = m_main->fieldText(0);
    QVERIFY(next != QLatin1String("Kingston Negroni"));
    QTRY_VERIFY(cardText().startsWith(next));
    QTest::mouseClick(m_main->cmdPrevious, Qt::LeftButton);
    QTRY_VERIFY(cardText().startsWith(QStringLiteral("Kingston Negroni")));
    // Cleared and shown the same drink again, the card shows its glass again.
    QVERIFY(v->picGlass->isVisibleTo(v) && v->picGlass->renderer()->isValid());
    const pv::CardRecipe same = v->recipe();
    v->clear();
    v->setRecipe(same);
    QVERIFY(v->picGlass->isVisibleTo(v) && v->picGlass->renderer()->isValid());

    // Millilitres for eight guests: the units box by its keys, the servings typed.
    v->cboUnits->setFocus();
    QTest::keyClick(v->cboUnits, Qt::Key_Down);
    QTest::keyClick(v->cboUnits, Qt::Key_Down);
    QCOMPARE(v->cboUnits->currentText(), QStringLiteral("ml"));
    v->spnServings->setFocus();
    v->spnServings->selectAll();
    QTest::keyClicks(v->spnServings, QStringLiteral("8"));
    QTest::keyClick(v->spnServings, Qt::Key_Return);
    QCOMPARE(v->spnServings->value(), 8);
    QVERIFY2(cardText().count(QStringLiteral("235 ml")) == 3 && cardText().contains(QStringLiteral("8 twists")),
             qPrintable(cardText()));
    QVERIFY(cardText().contains(QStringLiteral("For 8 servings, amounts in ml.")));
    // The designed boxes still hold the stored text.
    QCOMPARE(m_main->fieldText(1), QStringLiteral("1 oz"));

    // More than a hundred guests is refused by the box itself.
    v->spnServings->selectAll();
    QTest::keyClicks(v->spnServings, QStringLiteral("500"));
    QTest::keyClick(v->spnServings, Qt::Key_Return);
    QVERIFY(v->spnServings->value() >= 1 && v->spnServings->value() <= 100);
    v->spnServings->selectAll();
    QTest::keyClicks(v->spnServings, QStringLiteral("8"));
    QTest::keyClick(v->spnServings, Qt::Key_Return);

    // A bottle of it: the water the stirring would have added, and servings no longer apply.
    QTest::keyClick(v->cboBatch, Qt::Key_Down);
    QCOMPARE(v->cboBatch->currentText(), QStringLiteral("750 ml bottle"));
    QVERIFY(!v->spnServings->isEnabled());
    QVERIFY2(cardText().contains(QStringLiteral("Water")) && cardText().contains(QStringLiteral("Water is added")),
             qPrintable(cardText()));
    QVERIFY(cardText().contains(QStringLiteral("1 twist (each glass)")));
    // A volume typed in: only with "Other volume", and never below its floor.
    QVERIFY(!v->spnBatchMl->isEnabled());
    v->cboBatch->setCurrentIndex(v->cboBatch->count() - 1);
    QVERIFY(v->spnBatchMl->isEnabled());
    v->spnBatchMl->selectAll();
    QTest::keyClicks(v->spnBatchMl, QStringLiteral("20"));
    QTest::keyClick(v->spnBatchMl, Qt::Key_Tab);
    QVERIFY(v->spnBatchMl->value() >= 100);

    // Saved as a PDF with those choices.
    v->cboBatch->setCurrentIndex(1);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("card.pdf"));
    const auto previous = pv::setFileChooser([&](const pv::FileRequest &) { return pdf; });
    QTest::mouseClick(m_card->cmdSavePdf, Qt::LeftButton);
    pv::setFileChooser(previous);
    QVERIFY2(QFileInfo::exists(pdf), qPrintable(m_msgs->last()));
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(30000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(text.trimmed().startsWith(QStringLiteral("Kingston Negroni")) &&
                     text.contains(QStringLiteral("Batched for 750 ml")) && text.contains(QStringLiteral("Water")),
                 qPrintable(text));
    }

    // The choices stay: closed and opened again, and in the settings.
    QTest::mouseClick(m_card->cmdClose, Qt::LeftButton);
    QVERIFY(!Screen().isLoaded(m_card));
    QSettings s(QStringLiteral("Pourvale"), QStringLiteral("Pourvale"));
    QCOMPARE(s.value(QStringLiteral("RecipeCard/Units")).toString(), QStringLiteral("ml"));
    QCOMPARE(s.value(QStringLiteral("RecipeCard/Batch")).toString(), QStringLiteral("1"));
    m_main->findChild<QAction *>(QStringLiteral("mnuRecipeCard"))->trigger();
    m_card = Screen().Load<frmRecipeCard>();
    QCOMPARE(m_card->card->cboUnits->currentText(), QStringLiteral("ml"));
    QCOMPARE(m_card->card->cboBatch->currentIndex(), 1);

    // The Drink List's pane shows the drink picked in its table, with the same choices.
    m_card->card->cboBatch->setCurrentIndex(0);
    m_main->findChild<QAction *>(QStringLiteral("mnuDrinkList"))->trigger();
    auto *list = Screen().Load<frmDrinkList>();
    QCoreApplication::processEvents();
    QVERIFY(list->paneCard->isVisible());
    auto pickedName = [list] { return list->grdDrinks->currentIndex().siblingAtColumn(0).data().toString(); };
    QTRY_VERIFY(!pickedName().isEmpty() && list->paneCard->txtCard->toPlainText().startsWith(pickedName()));
    QTest::keyClick(list->grdDrinks, Qt::Key_Down);
    const QString picked = pickedName();
    QTRY_VERIFY(list->paneCard->txtCard->toPlainText().startsWith(picked));
    QVERIFY(list->paneCard->txtCard->toPlainText().contains(QStringLiteral("For 8 servings, amounts in ml.")));

    // A drink with an ingredient of no known strength says so instead of a number.
    search(QStringLiteral("Zombie"));
    QTRY_VERIFY(cardText().startsWith(QStringLiteral("Zombie")));
    QVERIFY2(cardText().contains(QStringLiteral("21% ABV")), qPrintable(cardText()));
    m_main->txtFields[12]->setFocus();
    QTest::keyClick(m_main->txtFields[12], Qt::Key_End);
    pvtest::typeText(m_main->txtFields[12], QStringLiteral(" Extra"));
    QCOMPARE(m_main->fieldText(12), QStringLiteral("Don's Mix (grapefruit juice and cinnamon syrup) Extra"));
    // Saved on leaving the drink; the card shows it on coming back.
    QTest::mouseClick(m_main->cmdNext, Qt::LeftButton);
    QTest::mouseClick(m_main->cmdPrevious, Qt::LeftButton);
    QTRY_VERIFY(cardText().contains(QStringLiteral("strength unknown")));
    QVERIFY2(cardText().contains(QStringLiteral("strength unknown: Don's Mix (grapefruit juice and cinnamon syrup) "
                                                "Extra has no ABV")),
             qPrintable(cardText()));
}

void TestRecipeCard::commandLine()
{
    struct Run {
        QStringList args;
        int exit;
        QStringList out; // lines expected in this order
        QString err;
    };
    const QString cat = m_app->catalogue();
    const QList<Run> runs = {
        {{"--recipe", "negroni", "--servings", "8", "--units", "ml", "--catalogue", cat},
         0,
         {"Negroni", "235 ml    London Dry Gin", "235 ml    Campari", "235 ml    Sweet Vermouth", "8 slices  Orange",
          "Stir the gin, Campari and vermouth with ice until well chilled. Strain over fresh ice into an "
          "old-fashioned glass and garnish with an orange slice.",
          "20% ABV in 125 ml (an estimate; stirred)"},
         "drinks match 'negroni'; showing Negroni, the exact match."},
        {{"--recipe", "DAIQ", "--catalogue", cat}, 0, {}, "showing Banana Daiquiri, the first in the catalogue's order"},
        {{"--recipe", "No Such Drink", "--catalogue", cat}, 1, {}, "no drink is named 'No Such Drink'"},
        {{"--recipe", "Negroni", "--servings", "0", "--catalogue", cat}, 2, {}, "--servings must be"},
        {{"--recipe", "Negroni", "--units", "cups", "--catalogue", cat}, 2, {}, "--units must be oz, ml or cl"},
        {{"--servings", "2"}, 2, {}, "--servings and --units belong to --recipe"},
    };
    for (const Run &run : runs) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(PV_APP_DIR "/pourvale"), run.args);
        QVERIFY(p.waitForFinished(30000));
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(p.exitCode() == run.exit && err.contains(run.err),
                 qPrintable(run.args.join(' ') + " -> " + QString::number(p.exitCode()) + ": " + err));
        const QStringList lines = out.split(QLatin1Char('\n'));
        for (int i = 0; i < run.out.size(); ++i)
            QCOMPARE(lines.value(i), run.out[i]);
        if (run.exit == 0)
            QVERIFY(out.contains(QRegularExpression(QStringLiteral("\n[0-9]+% ABV in [0-9]+ ml|\nstrength unknown"))));
    }
}

// With PV_SCREENSHOTS set to a folder, writes the card's pictures of
// docs/screenshots there instead of testing: the card batched in light
// colours (at the scale QT_SCALE_FACTOR gives), in dark ones, the Drink
// List with its card, and both PDFs.
namespace {

QPalette darkColours()
{
    QPalette p;
    const QColor window(0x2a, 0x2e, 0x32), text(0xee, 0xf0, 0xf1);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::Base, QColor(0x1b, 0x1e, 0x20));
    p.setColor(QPalette::AlternateBase, QColor(0x23, 0x26, 0x29));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText})
        p.setColor(role, text);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    return p;
}

int writeScreenshots(const QString &folder)
{
    QDir().mkpath(folder);
    pvtest::AppFolder app;
    pvtest::MsgRecorder msgs;
    const QString scale = QString::number(qRound(qApp->devicePixelRatio() * 100));
    auto *main = Screen().Load<frmMain>();
    Screen().Show(main);
    for (int i = 0; i < 100 && !main->Data1->cursor(); ++i)
        QTest::qWait(10);
    auto show = [&](const char *name) {
        main->showDrink(pvtest::queryColumn(app.catalogue(),
                                            QStringLiteral("SELECT rowid FROM drinklst WHERE DrinkName = '%1'")
                                                .arg(QLatin1String(name)))
                            .value(0)
                            .toLongLong());
        QTest::qWait(100);
    };
    auto &choices = pv::CardChoices::instance();
    show("Daiquiri");
    frmRecipeCard::open(main);
    auto *card = Screen().Load<frmRecipeCard>();
    choices.units = pv::UnitChoice::Ml;
    choices.batch = 1;
    choices.save();
    QTest::qWait(200);
    card->grab().save(QStringLiteral("%1/card-%2.png").arg(folder, scale));
    if (scale != QLatin1String("100"))
        return 0;
    const auto chooser = pv::setFileChooser([&](const pv::FileRequest &) { return folder + "/card.pdf"; });
    QTest::mouseClick(card->cmdSavePdf, Qt::LeftButton);
    pv::setFileChooser([&](const pv::FileRequest &) { return folder + "/recipe.pdf"; });
    show("Zombie");
    main->findChild<QAction *>(QStringLiteral("mnuFileSavePdf"))->trigger();
    pv::setFileChooser(chooser);

    QApplication::setPalette(darkColours());
    show("Negroni");
    choices.batch = 0;
    choices.servings = 8;
    choices.save();
    QTest::qWait(200);
    card->grab().save(QStringLiteral("%1/card-dark.png").arg(folder));
    QApplication::setPalette(QApplication::style()->standardPalette());
    choices.servings = 1;
    choices.units = pv::UnitChoice::AsWritten;
    choices.save();
    main->findChild<QAction *>(QStringLiteral("mnuDrinkList"))->trigger();
    auto *list = Screen().Load<frmDrinkList>();
    QTest::qWait(300);
    QTest::keyClick(list->grdDrinks, Qt::Key_Down);
    QTest::qWait(200);
    list->grab().save(QStringLiteral("%1/drinklist-card-100.png").arg(folder));
    pvtest::unloadAll();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QString folder = qEnvironmentVariable("PV_SCREENSHOTS");
    if (folder.isEmpty()) {
        pvtest::prepareEnvironment();
        QApplication app(argc, argv);
        app.setAttribute(Qt::AA_Use96Dpi, true);
        TestRecipeCard tc;
        QTEST_SET_MAIN_SOURCE_PATH
        return QTest::qExec(&tc, argc, argv);
    }
    pvtest::prepareEnvironment();
    QApplication app(argc, argv);
    return writeScreenshots(folder);
}
#include "tst_recipecard.moc"
