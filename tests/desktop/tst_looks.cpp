// How the windows look: no caption clipped, every text and icon readable in
// the style's light colours and in a dark theme, pictures and icons drawn
// at the screen's pixel density. CTest runs this at 100% and at 200%.
//
// With PV_SCREENSHOTS set to a folder, it writes the screenshots of
// docs/screenshots there instead (scripts/screenshots runs it), with
// PV_SCREENSHOT_POINTS in an application font of that size.
#include "DesktopWindows.h"

#include "drinklist/frmDrinkList.h"
#include "mybar/frmMyBar.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QHash>
#include <QLineEdit>
#include <QMap>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QStyleOption>
#include <QSvgRenderer>
#include <QSvgWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

#include "app/SvgPicture.h"
#include "reference/ReferencePanel.h"
#include "ui/DataControl.h"
#include "web/WebConfig.h"
#include "web/WebEngineSetup.h"

#include <cmath>

using pv::Screen;

namespace
{

// Relative luminance and contrast ratio as in WCAG 2.
double luminance(const QColor &c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The part of the window's picture where `w` is, in device pixels.
QImage area(const QImage &shot, QWidget *window, QWidget *w, const QRect &local)
{
    const qreal dpr = shot.devicePixelRatio();
    const QRect logical(w->mapTo(window, local.topLeft()), local.size());
    const QRect device((QPointF(logical.topLeft()) * dpr).toPoint(), (QSizeF(logical.size()) * dpr).toSize());
    return shot.copy(device & shot.rect());
}

QColor mostCommon(const QImage &image)
{
    QHash<QRgb, int> count;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++count[image.pixel(x, y) | 0xff000000u];
    QRgb best = 0;
    int most = -1;
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            best = it.key();
        }
    return QColor::fromRgb(best);
}

// The strongest contrast any pixel has with the background.
double strongest(const QImage &image, const QColor &background)
{
    double best = 1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            best = std::max(best, contrast(QColor::fromRgb(image.pixel(x, y)), background));
    return best;
}

QString describe(QWidget *w)
{
    return QStringLiteral("%1 (%2)").arg(w->objectName(), QLatin1String(w->metaObject()->className()));
}

QString shownText(QWidget *w)
{
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->pixmap().isNull() ? l->text() : QString();
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->text();
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *e = qobject_cast<QPlainTextEdit *>(w))
        return e->toPlainText();
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->currentText();
    return QString();
}

// Our icons: the toolbars' buttons and the data strip's arrows (the
// toolkit's own helpers, such as overflow arrows, draw the toolkit's).
bool isOurIcon(QToolButton *b)
{
    if (b->icon().isNull() || b->inherits("QLineEditIconButton"))
        return false;
    if (b->defaultAction())
        return true;
    for (QWidget *p = b->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<pv::DataControl *>(p))
            return true;
    return false;
}

bool isPicture(QWidget *w)
{
    if (auto *p = qobject_cast<pv::PictureBox *>(w))
        return p->hasPicture();
    if (auto *p = qobject_cast<QSvgWidget *>(w))
        return p->renderer()->isValid(); // the main window reads its glasses when first shown
    return qobject_cast<pv::SvgPicture *>(w);
}

// The widget alone on a clear ground at a given pixel density.
QImage renderAt(QWidget *w, qreal dpr)
{
    QImage image((QSizeF(w->size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    w->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Mean difference per channel of two images of one size.
double meanDifference(const QImage &a, const QImage &b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) +
                   std::abs(qAlpha(p) - qAlpha(q));
        }
    return sum / (4.0 * a.width() * a.height());
}

// Whether an image drawn at twice the density shows the same picture with
// finer detail than the single-density one blown up: a picture drawn from
// its vectors passes, a bitmap made at one density and enlarged does not.
QString sharpnessProblem(const QImage &single, const QImage &twice)
{
    const QImage one = single.convertToFormat(QImage::Format_ARGB32);
    const QImage two = twice.convertToFormat(QImage::Format_ARGB32);
    if (two.size() != one.size() * 2)
        return QStringLiteral("drawn at %1x%2 for %3x%4")
            .arg(two.width())
            .arg(two.height())
            .arg(one.width() * 2)
            .arg(one.height() * 2);
    const QImage reduced = two.scaled(one.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (meanDifference(reduced, one) > 12)
        return QStringLiteral("not the same picture at both densities");
    const QImage enlarged = one.scaled(two.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    int inked = 0, finer = 0;
    for (int y = 0; y < two.height(); ++y)
        for (int x = 0; x < two.width(); ++x) {
            const QRgb p = two.pixel(x, y), q = enlarged.pixel(x, y);
            if (qAlpha(p) == 0)
                continue;
            ++inked;
            if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) +
                    std::abs(qAlpha(p) - qAlpha(q)) >
                48)
                ++finer;
        }
    if (inked == 0)
        return QStringLiteral("nothing drawn");
    if (finer * 100 < inked)
        return QStringLiteral("no finer detail at twice the density (%1 of %2 pixels)").arg(finer).arg(inked);
    return QString();
}

QList<QWidget *> visibleChildren(QWidget *window)
{
    QList<QWidget *> out;
    for (QWidget *w : window->findChildren<QWidget *>())
        if (w->isVisible() && w->window() == window && !w->size().isEmpty())
            out << w;
    return out;
}

} // namespace

class TestLooks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void nothingClipped_data();
    void nothingClipped();
    void placesKeptInLargerFont_data();
    void placesKeptInLargerFont();
    void readable_data();
    void readable();
    void helpPagesReadable_data();
    void helpPagesReadable();
    void picturesSharp_data();
    void picturesSharp();
    void windowsOnTheScreen_data();
    void windowsOnTheScreen();

private:
    std::unique_ptr<pvtest::AppFolder> m_app;
    std::unique_ptr<pvtest::MsgRecorder> m_msgs;
    QFont m_font; // the application's own, put back after each check
};

void TestLooks::init()
{
    m_app = std::make_unique<pvtest::AppFolder>(pvtest::AppFolder::Seed::Small);
    m_msgs = std::make_unique<pvtest::MsgRecorder>();
    m_font = QApplication::font();
}

void TestLooks::cleanup()
{
    pvtest::unloadAll();
    desk::useDarkTheme(false);
    QApplication::setFont(m_font);
    m_msgs.reset();
    m_app.reset();
}

static void windowRows()
{
    QTest::addColumn<QString>("window");
    for (const QString &name : desk::windowNames())
        QTest::newRow(qPrintable(name)) << name;
}

void TestLooks::nothingClipped_data()
{
    // The designed 9 pt and the larger fonts desktops commonly set.
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("points");
    for (int points : {0, 10, 11})
        for (const QString &name : desk::windowNames()) {
            const QString row = points ? QStringLiteral("%1, %2 pt").arg(name).arg(points) : name;
            QTest::newRow(qPrintable(row)) << name << points;
        }
}

void TestLooks::nothingClipped()
{
    QFETCH(QString, window);
    QFETCH(int, points);
    if (points) {
        QFont font = QApplication::font();
        font.setPointSize(points);
        QApplication::setFont(font);
    }
    QWidget *w = desk::open(window);
    QVERIFY(w);
    QStringList clipped;
    for (QWidget *c : visibleChildren(w)) {
        // Captions fit their labels and buttons.
        if (auto *l = qobject_cast<QLabel *>(c); l && !shownText(l).isEmpty()) {
            QRect room = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
            // A framed label sets its text in by half an x.
            if (l->frameWidth() > 0 && l->indent() < 0)
                room.setWidth(room.width() - l->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2);
            QSize need;
            if (l->wordWrap())
                need = QSize(0, l->heightForWidth(l->width()));
            else
                need = l->fontMetrics().size(Qt::TextShowMnemonic, l->text());
            if (need.width() > room.width() || need.height() > room.height())
                clipped << QStringLiteral("%1 needs %2x%3, has %4x%5")
                               .arg(describe(l))
                               .arg(need.width())
                               .arg(need.height())
                               .arg(room.width())
                               .arg(room.height());
        } else if (auto *b = qobject_cast<QPushButton *>(c); b && !b->text().isEmpty()) {
            QStyleOptionButton option;
            option.initFrom(b);
            option.text = b->text();
            const QRect room = b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b);
            const QSize need = b->fontMetrics().size(Qt::TextShowMnemonic, b->text());
            if (need.width() > room.width() || need.height() > room.height())
                clipped << QStringLiteral("%1 needs %2x%3, has %4x%5")
                               .arg(describe(b))
                               .arg(need.width())
                               .arg(need.height())
                               .arg(room.width())
                               .arg(room.height());
        } else if (auto *e = qobject_cast<QLineEdit *>(c)) {
            // A line of text fits the box's height (long text scrolls).
            QStyleOptionFrame option;
            option.initFrom(e);
            option.lineWidth = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, e) : 0;
            const QRect room = e->style()->subElementRect(QStyle::SE_LineEditContents, &option, e);
            if (e->fontMetrics().height() > room.height())
                clipped << QStringLiteral("%1 has %2 of %3 pixels of height for its text")
                               .arg(describe(e))
                               .arg(room.height())
                               .arg(e->fontMetrics().height());
        } else if (c->objectName() == QLatin1String("qt_toolbar_ext_button")) {
            clipped << QStringLiteral("a toolbar of %1 does not show all its buttons").arg(window);
        }
    }
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
}

void TestLooks::placesKeptInLargerFont_data()
{
    // The windows with designed places; the collection windows are laid out
    // by layouts that follow their font.
    QTest::addColumn<QString>("window");
    for (const char *name :
         {"frmSplash", "frmMain", "frmAbout", "frmGlasses", "frmUtensils", "frmLiquor", "frmBrowser"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// A larger font gives texts more room but moves no control from its place.
void TestLooks::placesKeptInLargerFont()
{
    QFETCH(QString, window);
    auto places = [&window] {
        QMap<QString, QRect> out;
        QWidget *w = desk::open(window);
        for (QWidget *c : w->findChildren<QWidget *>()) {
            const bool control = qobject_cast<QAbstractButton *>(c) || qobject_cast<QLineEdit *>(c) ||
                                 qobject_cast<QPlainTextEdit *>(c) || qobject_cast<QComboBox *>(c) || isPicture(c);
            if (control && !c->objectName().isEmpty() && !c->objectName().startsWith(QLatin1String("qt_")))
                out.insert(c->objectName() + QLatin1Char(' ') + QLatin1String(c->metaObject()->className()),
                           c->geometry());
        }
        pvtest::unloadAll();
        return out;
    };
    const QMap<QString, QRect> designed = places();
    QVERIFY(!designed.isEmpty());
    QFont font = QApplication::font();
    font.setPointSize(11);
    QApplication::setFont(font);
    const QMap<QString, QRect> larger = places();
    QStringList moved;
    for (auto it = designed.cbegin(); it != designed.cend(); ++it)
        if (larger.value(it.key()) != it.value())
            moved << it.key();
    QVERIFY2(moved.isEmpty(), qPrintable(moved.join(QStringLiteral(", "))));
}

void TestLooks::readable_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("dark");
    for (const QString &name : desk::windowNames()) {
        QTest::newRow(qPrintable(name + QStringLiteral(", light"))) << name << false;
        QTest::newRow(qPrintable(name + QStringLiteral(", dark"))) << name << true;
    }
}

void TestLooks::readable()
{
    QFETCH(QString, window);
    QFETCH(bool, dark);
    desk::useDarkTheme(dark);
    QWidget *w = desk::open(window);
    QVERIFY(w);
    QTest::qWait(50);
    const QImage shot = w->grab().toImage();
    const QColor ground = w->palette().color(QPalette::Window);
    QStringList faint;
    int texts = 0, pictures = 0;
    for (QWidget *c : visibleChildren(w)) {
        if (!c->isEnabled())
            continue; // dimmed on purpose
        // Texts: at least 4.5:1 against what is behind them.
        QWidget *where = c;
        if (auto *scroll = qobject_cast<QAbstractScrollArea *>(c))
            where = scroll->viewport();
        const bool view = qobject_cast<QAbstractItemView *>(c) != nullptr;
        if (!shownText(c).trimmed().isEmpty() || view || qobject_cast<QMenuBar *>(c)) {
            const QImage part = area(shot, w, where, where->rect());
            const QColor behind = mostCommon(part);
            const double ratio = strongest(part, behind);
            ++texts;
            if (ratio < 4.5)
                faint << QStringLiteral("text of %1: %2:1").arg(describe(c)).arg(ratio, 0, 'f', 1);
        }
        // Pictures and icons: at least 3:1 for their strongest lines.
        auto *tool = qobject_cast<QToolButton *>(c);
        if (tool && !isOurIcon(tool))
            tool = nullptr;
        if (isPicture(c) || tool) {
            const QImage part = area(shot, w, c, c->rect());
            const QColor behind = tool ? mostCommon(part) : ground;
            const double ratio = strongest(part, behind);
            ++pictures;
            if (ratio < 3)
                faint << QStringLiteral("picture %1: %2:1").arg(describe(c)).arg(ratio, 0, 'f', 1);
        }
    }
    QVERIFY(texts + pictures > 0);
    QVERIFY2(faint.isEmpty(), qPrintable(faint.join(QStringLiteral("; "))));
}

void TestLooks::helpPagesReadable_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("light") << false;
    QTest::newRow("dark") << true;
}

void TestLooks::helpPagesReadable()
{
    QFETCH(bool, dark);
    desk::useDarkTheme(dark);
    auto *help = qobject_cast<frmHelp *>(desk::open(QStringLiteral("frmHelp")));
    QVERIFY(help);
    // A page with headings, links, a table, a note and a quoted message.
    help->showPage(help->brwHelp->source().resolved(QUrl(QStringLiteral("searching.html"))));
    QTRY_VERIFY(help->brwHelp->source().toString().endsWith(QLatin1String("searching.html")));
    QTest::qWait(50);

    const QImage page = help->brwHelp->viewport()->grab().toImage();
    const QColor behind = mostCommon(page);
    // The page follows the theme: dark ground in the dark theme.
    QCOMPARE(luminance(behind) < 0.2, dark);
    QStringList faint;
    int fragments = 0;
    for (QTextBlock b = help->brwHelp->document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.text().trimmed().isEmpty())
                continue;
            const QTextCharFormat format = f.charFormat();
            const QColor ink = format.foreground().style() == Qt::NoBrush
                                   ? help->brwHelp->palette().color(QPalette::Text)
                                   : format.foreground().color();
            const QColor ground = format.background().style() == Qt::NoBrush ? behind : format.background().color();
            ++fragments;
            if (contrast(ink, ground) < 4.5)
                faint << QStringLiteral("\"%1\": %2:1").arg(f.text().left(30)).arg(contrast(ink, ground), 0, 'f', 1);
        }
    QVERIFY(fragments > 10);
    QVERIFY2(faint.isEmpty(), qPrintable(faint.join(QStringLiteral("; "))));

    // Changing the theme while a page is open recolours it.
    desk::useDarkTheme(!dark);
    QTRY_COMPARE(luminance(mostCommon(help->brwHelp->viewport()->grab().toImage())) < 0.2, !dark);
}

void TestLooks::picturesSharp_data()
{
    windowRows();
}

void TestLooks::picturesSharp()
{
    QFETCH(QString, window);
    QWidget *w = desk::open(window);
    QVERIFY(w);
    QStringList blurred;
    int checked = 0;
    // Pictures hidden now show with another item: all of them count.
    for (QWidget *c : w->findChildren<QWidget *>()) {
        if (!isPicture(c) || c->size().isEmpty())
            continue;
        ++checked;
        const QString problem = sharpnessProblem(renderAt(c, 1), renderAt(c, 2));
        if (!problem.isEmpty())
            blurred << describe(c) + QStringLiteral(": ") + problem;
    }
    for (QToolButton *b : w->findChildren<QToolButton *>()) {
        if (!isOurIcon(b))
            continue;
        ++checked;
        const QSize size = b->iconSize();
        const QString problem =
            sharpnessProblem(b->icon().pixmap(size, 1.0).toImage(), b->icon().pixmap(size, 2.0).toImage());
        if (!problem.isEmpty())
            blurred << QStringLiteral("icon of ") + describe(b) + QStringLiteral(": ") + problem;
    }
    if (checked == 0)
        QSKIP("no pictures or icons in this window");
    QVERIFY2(blurred.isEmpty(), qPrintable(blurred.join(QStringLiteral("; "))));
}

// --------------------------------------------------------------- screenshots

void TestLooks::windowsOnTheScreen_data()
{
    // Each window, opened with the main window low on the right of the
    // screen (or not at all); "first start": no placement stored.
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("mainLow");
    QTest::newRow("frmMain, first start") << QStringLiteral("frmMain") << false;
    for (const QString &name : desk::windowNames())
        if (name != QLatin1String("frmMain"))
            QTest::newRow(qPrintable(name)) << name << true;
    QTest::newRow("frmMyBar") << QStringLiteral("frmMyBar") << true;
    QTest::newRow("frmDrinkList") << QStringLiteral("frmDrinkList") << true;
    QTest::newRow("frmDrinkList, remembered larger than the screen") << QStringLiteral("frmDrinkListHuge") << false;
}

void TestLooks::windowsOnTheScreen()
{
    QFETCH(QString, window);
    QFETCH(bool, mainLow);
    QSettings settings(QStringLiteral("Pourvale"), QStringLiteral("Pourvale"));
    settings.clear();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    if (mainLow) {
        settings.setValue("Settings/MainLeft", QString::number(pv::pxToTwips(area.left() + area.width() * 3 / 5)));
        settings.setValue("Settings/MainTop", QString::number(pv::pxToTwips(area.top() + area.height() * 3 / 5)));
    }
    if (window == QLatin1String("frmDrinkListHuge")) {
        settings.setValue("Settings/DrinkListWidth", "19000");
        settings.setValue("Settings/DrinkListHeight", "19000");
    }
    settings.sync();
    auto *main = Screen().Load<frmMain>();
    Screen().Show(main);
    QTRY_VERIFY(main->Data1->cursor());
    QWidget *w = main;
    if (window == QLatin1String("frmMyBar"))
        w = desk::showSingle<frmMyBar>();
    else if (window.startsWith(QLatin1String("frmDrinkList"))) {
        frmDrinkList::open(main);
        w = Screen().Load<frmDrinkList>();
    } else if (window != QLatin1String("frmMain"))
        w = desk::open(window);
    QVERIFY(w && w->isVisible());
    QApplication::processEvents();
    QVERIFY2(area.contains(w->frameGeometry()), qPrintable(QStringLiteral("%1 at %2,%3 %4x%5 on %6x%7")
                                                              .arg(window)
                                                              .arg(w->frameGeometry().x())
                                                              .arg(w->frameGeometry().y())
                                                              .arg(w->frameGeometry().width())
                                                              .arg(w->frameGeometry().height())
                                                              .arg(area.width())
                                                              .arg(area.height())));
    if (w == main) {
        // The whole designed layout shows: every control of the form lies
        // inside the window.
        const QWidget *form = main->findChild<QWidget *>(QStringLiteral("formArea"));
        QRect used;
        for (const QWidget *c : form->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (c != main->Picture1)
                used |= c->geometry();
        QVERIFY2(form->rect().contains(used), qPrintable(QStringLiteral("the layout needs %1x%2, the window shows %3x%4")
                                                             .arg(used.right() + 1)
                                                             .arg(used.bottom() + 1)
                                                             .arg(form->width())
                                                             .arg(form->height())));
    }
}

namespace
{

void settle(int ms)
{
    QCoreApplication::processEvents();
    QTest::qWait(ms);
}

int writeScreenshots(const QString &folder, bool dark)
{
    QDir().mkpath(folder);
    pvtest::AppFolder app; // the bundled catalogue
    pvtest::MsgRecorder msgs;
    desk::useDarkTheme(dark);
    const qreal dpr = qApp->devicePixelRatio();
    const QString suffix = dark ? QStringLiteral("dark") : QStringLiteral("%1").arg(qRound(dpr * 100));
    for (const QString &name : desk::windowNames()) {
        QWidget *w = nullptr;
        if (name == QLatin1String("frmBrowser")) {
            // The real page area, on the start page.
            w = frmBrowser::OpenNew(pv::web::kStartPage);
            settle(4000);
        } else {
            w = desk::open(name);
            if (name == QLatin1String("frmMain")) {
                // A recipe with a picture, some ingredients and directions.
                auto *m = static_cast<frmMain *>(w);
                m->txtSearchString->setText(QStringLiteral("Negroni"));
                m->cmdSearch_Click();
            }
            settle(400);
        }
        if (!w)
            return 1;
        QString file = name.mid(3).toLower();
        w->grab().save(QStringLiteral("%1/%2-%3.png").arg(folder, file, suffix));
        pvtest::unloadAll();
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    pvtest::prepareEnvironment();
    const QString folder = qEnvironmentVariable("PV_SCREENSHOTS");
    if (!folder.isEmpty())
        pv::prepareWebEngine();
    QApplication app(argc, argv);
    if (!folder.isEmpty()) {
        // PV_SCREENSHOT_POINTS shows the windows in a desktop's larger font.
        if (const int points = qEnvironmentVariableIntValue("PV_SCREENSHOT_POINTS"); points > 0) {
            QFont font = QApplication::font();
            font.setPointSize(points);
            QApplication::setFont(font);
        }
        return writeScreenshots(folder, qEnvironmentVariable("PV_SCREENSHOT_THEME") == QLatin1String("dark"));
    }
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestLooks tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_looks.moc"
