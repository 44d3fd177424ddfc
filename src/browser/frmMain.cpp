#include "browser/frmMain.h"

#include "app/HelpCommands.h"
#include "app/frmAbout.h"
#include "browser/RecipePrint.h"
#include "collections/frmBgames.h"
#include "collections/frmCards.h"
#include "collections/frmDice.h"
#include "collections/frmJoke.h"
#include "collections/frmLines.h"
#include "collections/frmMedia.h"
#include "collections/frmMoney.h"
#include "collections/frmSpeech.h"
#include "collections/frmToasting.h"
#include "reference/frmGlasses.h"
#include "reference/frmLiquor.h"
#include "reference/frmUtensils.h"
#include "web/WebConfig.h"
#include "web/frmBrowser.h"

#include "data/AccentPattern.h"
#include "data/Catalogue.h"
#include "data/CatalogueUpdate.h"
#include "data/Criterion.h"
#include "data/DataError.h"
#include "data/JetLike.h"
#include "ui/FitText.h"
#include "ui/Twips.h"
#include "ui/WindowPlacement.h"

#include <QDate>
#include <QLocale>
#include <QMenuBar>
#include <QSvgRenderer>
#include <QTime>
#include <QVBoxLayout>

using pv::Screen;
using pv::twipsToPx;

namespace {

// The designed client area; toolbar, data strip and status bar follow the
// window's edges, everything else keeps this place.
constexpr int kToolStripTwips = 540;
constexpr int kStatusTwips = 330;

struct Place {
    int left, top, width, height; // twips
};

QRect px(const Place &p)
{
    return QRect(twipsToPx(p.left), twipsToPx(p.top), twipsToPx(p.width), twipsToPx(p.height));
}

struct GlassPicture {
    const char *glass;   // exact text of Glass
    const char *control; // picture box name
    const char *file;    // picture under :/pictures/glasses
};

// Tested in this order.
constexpr GlassPicture kGlassPictures[] = {
    {"Cocktail", "picCocktail", "cocktail"},
    {"Collins", "picCollins", "collins"},
    {"Shot", "picShot", "shotglass"},
    {"Highball", "picHighball", "highball"},
    {"Old-Fashioned", "picOldFashioned", "oldfashioned"},
    {"Beer Mug", "picBeerMug", "beermug"},
    {"Beer Pilsner", "picBeerPilsner", "beerpilsner"},
    {"Irish Coffee", "picIrishcoffeecup", "irishcoffee"},
    {"Pousse Cafe", "picPousseCafe", "poussecafe"},
    {"Parfait", "picParfait", "parfait"},
    {"Red Wine", "picRedWine", "redwine"},
    {"White Wine", "picWhiteWine", "whitewine"},
    {"Sherry", "picSherry", "sherry"},
    {"Champagne Flute", "picChampagne", "champagneflute"},
    {"Brandy Snifter", "picBrandySnifter", "brandysnifter"},
    {"Pony", "picPony", "pony"},
    {"Whiskey Sour", "picWhiskeySour", "whiskeysour"},
    {"Punch Cup", "picPunchCup", "punchcup"},
    {"Coffee Mug", "picCoffeeMug", "coffeemug"},
    {"Goblet", "picGoblet", "goblet"},
};

struct ToolButton {
    const char *key;  // nullptr: a separator
    const char *tip;
    const char *icon; // under :/icons/toolbar
};

constexpr ToolButton kToolButtons[] = {
    {nullptr, nullptr, nullptr},
    {"Utensils", "Utensils", "utensils"},
    {"Glasses", "Glasses", "glasses"},
    {"Liquor", "Liquor", "liquor"},
    {nullptr, nullptr, nullptr},
    {"Browser", "Web Browser", "browser"},
    {nullptr, nullptr, nullptr},
    {"Help", "Help", "help"},
    {nullptr, nullptr, nullptr},
    {"ViewAll", "View All Drinks", "viewall"},
    {"Aperitifs", "Aperitifs", "aperitifs"},
    {"Beer", "Beer", "beer"},
    {"Bourbon", "Bourbon", "bourbon"},
    {"Brandy", "Brandy", "brandy"},
    {"Cordials", "Cordials", "cordials"},
    {"Gin", "Gin", "gin"},
    {"HotDrinks", "Hot Drinks", "hotdrinks"},
    {"NonAlcoholic", "Non Alcoholic", "nonalcoholic"},
    {"Punch", "Punch", "punch"},
    {"Rum", "Rum", "rum"},
    {"Scotch", "Scotch", "scotch"},
    {"Tequila", "Tequila", "tequila"},
    {"Tropical", "Tropical", "tropical"},
    {"Vodka", "Vodka", "vodka"},
    {"Whiskey", "Whiskey", "whiskey"},
    {"Wine", "Wine", "wine"},
};

// Category entries of the Queries menu: name, caption, row source.
struct CategoryEntry {
    const char *menu;
    const char *caption;
    const char *source;
    void (frmMain::*handler)();
};

const CategoryEntry kCategoryEntries[] = {
    {"mnuViewAll", "View All Drinks", "drinklst", &frmMain::mnuViewAll_Click},
    {"mnuAperitifs", "Confine Drink List To Aperitifs", "Aperitifs", &frmMain::mnuAperitifs_Click},
    {"mnuBeer", "Confine Drink List To Beer", "Beer", &frmMain::mnuBeer_Click},
    {"mnuBourbon", "Confine Drink List To Bourbon", "Bourbon", &frmMain::mnuBourbon_Click},
    {"mnuBrandy", "Confine Drink List To Brandy", "Brandy", &frmMain::mnuBrandy_Click},
    {"mnuCordials", "Confine Drink List To Cordials", "Cordials", &frmMain::mnuCordials_Click},
    {"mnuGin", "Confine Drink List To Gin", "Gin", &frmMain::mnuGin_Click},
    {"mnuHot", "Confine Drink List To Hot Drinks", "HotDrinks", &frmMain::mnuHot_Click},
    {"mnuNonAlcoholic", "Confine Drink List To Non-Alcoholic", "NonAlcoholic", &frmMain::mnuNonAlcoholic_Click},
    {"mnuPunch", "Confine Drink List To Punch", "Punch", &frmMain::mnuPunch_Click},
    {"mnuRum", "Confine Drink List To Rum", "Rum", &frmMain::mnuRum_Click},
    {"mnuScotch", "Confine Drink List To Scotch", "Scotch", &frmMain::mnuScotch_Click},
    {"mnuTequila", "Confine Drink List To Tequila", "Tequila", &frmMain::mnuTequila_Click},
    {"mnuTropical", "Confine Drink List To Tropical", "Tropical", &frmMain::mnuTropical_Click},
    {"mnuVodka", "Confine Drink List To Vodka", "Vodka", &frmMain::mnuVodka_Click},
    {"mnuWhiskey", "Confine Drink List To Whiskey", "Whiskey", &frmMain::mnuWhiskey_Click},
    {"mnuWine", "Confine Drink List To Wine", "Wine", &frmMain::mnuWine_Click},
};

} // namespace

frmMain::frmMain()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Pourvale"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/pourvale.svg")));
    setProperty(pv::kKeepsPlacement, true);
    buildForm();
    buildMenus();
    addCommands();
    buildToolBar();
    buildStatusBar();
    resize(twipsToPx(9900), twipsToPx(7260) + menuBar()->sizeHint().height());
}

frmMain::~frmMain() = default;

void frmMain::buildForm()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralArea"));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // The toolbar and status bar sit in strips of their own, so hiding them
    // leaves their place empty and moves nothing else.
    auto *toolStrip = new QWidget(central);
    toolStrip->setObjectName(QStringLiteral("toolStrip"));
    toolStrip->setFixedHeight(twipsToPx(kToolStripTwips));
    column->addWidget(toolStrip);

    auto *form = new QWidget(central);
    form->setObjectName(QStringLiteral("formArea"));
    form->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    column->addWidget(form, 1);

    Data1 = new pv::DataControl(central);
    Data1->setObjectName(QStringLiteral("Data1"));
    Data1->setRecordSource(QLatin1String(pv::kDrinkTable));
    Data1->setAccessibleName(tr("Drink position"));
    column->addWidget(Data1);

    auto *statusStrip = new QWidget(central);
    statusStrip->setObjectName(QStringLiteral("statusStrip"));
    statusStrip->setFixedHeight(twipsToPx(kStatusTwips));
    column->addWidget(statusStrip);
    setCentralWidget(central);
    // A window smaller than the layout cuts it off rather than refusing the size.
    central->setMinimumSize(1, 1);

    auto label = [form](int index, const char *text, const Place &p, bool bold) {
        auto *l = new QLabel(QString::fromUtf8(text), form);
        l->setTextFormat(Qt::PlainText);
        l->setObjectName(QStringLiteral("lblLabels(%1)").arg(index));
        l->setGeometry(px(p));
        if (bold) {
            QFont f = l->font();
            f.setBold(true);
            l->setFont(f);
        }
        pv::fitLabelHeight(l);
        return l;
    };
    lblLabels.assign(22, nullptr);
    lblLabels[0] = label(0, "Drink's Name", {120, 90, 3000, 240}, true);
    lblLabels[1] = label(1, "Quantity", {120, 750, 1380, 240}, false);
    lblLabels[2] = label(2, "Ingredient", {1560, 750, 3060, 240}, false);
    lblLabels[4] = label(4, "Type of Glass", {4950, 90, 2250, 240}, true);
    lblLabels[21] = label(21, "Directions", {120, 4050, 1500, 240}, false);

    // txtFields(2k-1) holds quantity k, txtFields(2k) ingredient k.
    txtFields.assign(22, nullptr);
    auto line = [form](const QString &name, const Place &p, const QString &accessible) {
        auto *e = new QLineEdit(form);
        e->setObjectName(name);
        e->setGeometry(px(p));
        e->setAccessibleName(accessible);
        return e;
    };
    txtFields[0] = line(QStringLiteral("txtFields(0)"), {120, 330, 4500, 330}, tr("Drink's name"));
    for (int k = 1; k <= 10; ++k) {
        const int y = 990 + (k - 1) * 300;
        txtFields[2 * k - 1] = line(QStringLiteral("txtFields(%1)").arg(2 * k - 1), {120, y, 1380, 300},
                                    tr("Quantity %1").arg(k));
        txtFields[2 * k] = line(QStringLiteral("txtFields(%1)").arg(2 * k), {1560, y, 3060, 300},
                                tr("Ingredient %1").arg(k));
    }
    auto *directions = new QPlainTextEdit(form);
    directions->setObjectName(QStringLiteral("txtFields(21)"));
    directions->setGeometry(px({120, 4290, 9660, 840}));
    directions->setAccessibleName(tr("Directions"));
    directions->setTabChangesFocus(true);
    directions->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    txtFields[21] = directions;

    txtGlassname = line(QStringLiteral("txtGlassname"), {4950, 330, 2250, 330}, tr("Type of glass"));
    txtGlassname->setText(QStringLiteral("Test Glass"));

    Data1->bind(txtFields[0], QStringLiteral("DrinkName"));
    // A nameless drink would be an invisible line in every list.
    Data1->requireText(QStringLiteral("DrinkName"),
                       QStringLiteral("A drink must have a name: type one into the Drink's Name box."));
    for (int k = 1; k <= 10; ++k) {
        Data1->bind(txtFields[2 * k - 1], QStringLiteral("Qty%1").arg(k));
        Data1->bind(txtFields[2 * k], QStringLiteral("Ing%1").arg(k));
    }
    Data1->bind(txtFields[21], QStringLiteral("Directions"));
    Data1->bind(txtGlassname, QStringLiteral("Glass"));
    QStringList glassNames;
    for (const GlassPicture &g : kGlassPictures)
        glassNames << QLatin1String(g.glass);
    addTypingAids(glassNames);

    // Twenty glass pictures in one place right of the glass name.
    for (const GlassPicture &g : kGlassPictures) {
        // The picture is read when it is first shown, which keeps start-up quick.
        auto *pic = new QSvgWidget(form);
        pic->setProperty("pvPicture", QStringLiteral(":/pictures/glasses/%1.svg").arg(QLatin1String(g.file)));
        pic->setObjectName(QLatin1String(g.control));
        pic->setAccessibleName(QLatin1String(g.glass));
        pic->setToolTip(QLatin1String(g.glass));
        const QString name = QLatin1String(g.control);
        if (name == QLatin1String("picWhiskeySour"))
            pic->setGeometry(px({7500, 90, 1500, 2250}));
        else if (name == QLatin1String("picParfait"))
            pic->setGeometry(px({7500, 210, 1500, 2250}));
        else
            pic->setGeometry(px({7500, 90, 1560, 2310}));
        pic->hide();
        glassPictures.push_back(pic);
    }

    auto button = [form, this](const char *name, const char *caption, const Place &p, void (frmMain::*slot)()) {
        auto *b = new QPushButton(QString::fromUtf8(caption), form);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(px(p));
        b->setAutoDefault(false);
        pv::onEvent(b, &QPushButton::clicked, this, [this, slot] { press(slot); });
        return b;
    };
    cmdBegofFile = button("cmdBegofFile", "Beginning", {120, 5220, 1350, 360}, &frmMain::cmdBegofFile_Click);
    cmdPrevious = button("cmdPrevious", "Previous", {1530, 5220, 1350, 360}, &frmMain::cmdPrevious_Click);
    cmdNext = button("cmdNext", "Next", {2940, 5220, 1350, 360}, &frmMain::cmdNext_Click);
    cmdEndofList = button("cmdEndofList", "End of List", {4350, 5220, 1350, 360}, &frmMain::cmdEndofList_Click);
    cmdAdd = button("cmdAdd", "&Add", {120, 5640, 1140, 360}, &frmMain::cmdAdd_Click);
    cmdDelete = button("cmdDelete", "&Delete", {1320, 5640, 1140, 360}, &frmMain::cmdDelete_Click);
    cmdRefresh = button("cmdRefresh", "&Refresh", {2520, 5640, 1140, 360}, &frmMain::cmdRefresh_Click);
    cmdUpdate = button("cmdUpdate", "&Update", {3720, 5640, 1140, 360}, &frmMain::cmdUpdate_Click);
    cmdSearch = button("cmdSearch", "Search...", {4920, 5640, 1200, 360}, &frmMain::cmdSearch_Click);
    txtSearchString = line(QStringLiteral("txtSearchString"), {6180, 5640, 2100, 360}, tr("Search for drink names containing"));
    cmdFindNext = button("cmdFindNext", "Find Next...", {8340, 5640, 1440, 360}, &frmMain::cmdFindNext_Click);
    cmdFindNext->setEnabled(false);
    // Enter in the search box searches.
    pv::onEvent(txtSearchString, &QLineEdit::returnPressed, this, [this] { press(&frmMain::cmdSearch_Click); });

    // Measures printed lines; never shown.
    Picture1 = new QWidget(form);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(px({0, 0, 4155, 300}));
    Picture1->hide();

    addKeys();

    connect(txtGlassname, &QLineEdit::textChanged, this, [this] { txtGlassname_Change(); });
    connect(Data1, &pv::DataControl::Reposition, this, [this] { Data1_Reposition(); });
    connect(Data1, &pv::DataControl::Validate, this, [this](int &a, int &s) { Data1_Validate(a, s); });
}

void frmMain::buildMenus()
{
    QMenuBar *bar = menuBar();
    auto action = [this](QMenu *menu, const char *name, const QString &caption, void (frmMain::*slot)()) {
        auto *a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        if (slot)
            pv::onEvent(a, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
        return a;
    };
    auto separator = [](QMenu *menu, const char *name) { menu->addSeparator()->setObjectName(QLatin1String(name)); };
    auto menu = [](QWidget *parent, const char *name, const QString &title) {
        auto *m = new QMenu(title, parent);
        m->setObjectName(QLatin1String(name));
        return m;
    };

    QMenu *file = menu(bar, "mnuFile", QStringLiteral("&File"));
    mnuFilePrint = action(file, "mnuFilePrint", QStringLiteral("&Print..."), &frmMain::mnuFilePrint_Click);
    mnuFilePrint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    separator(file, "mnuFileBar4");
    mnuFileExit = action(file, "mnuFileExit", QStringLiteral("E&xit"), &frmMain::mnuFileExit_Click);
    bar->addMenu(file);

    QMenu *view = menu(bar, "mnuView", QStringLiteral("&View"));
    QMenu *supplies = menu(view, "mnuSupplies", QStringLiteral("&Supplies"));
    action(supplies, "mnuUtensils", QStringLiteral("Utensils"), &frmMain::mnuUtensils_Click);
    separator(supplies, "mnuViewDataBar1");
    action(supplies, "mnuGlasses", QStringLiteral("Glasses"), &frmMain::mnuGlasses_Click);
    separator(supplies, "mnuViewSupplies2");
    action(supplies, "mnuStockLiquor", QStringLiteral("Liquor"), &frmMain::mnuStockLiquor_Click);
    view->addMenu(supplies);
    separator(view, "mnuLiquor2");
    action(view, "mnuPickuplines", QStringLiteral("Pick Up Lines"), &frmMain::mnuPickuplines_Click);
    action(view, "mnuToasting", QStringLiteral("Toasting"), &frmMain::mnuToasting_Click);
    action(view, "mnuJokes", QStringLiteral("Bar Jokes"), &frmMain::mnuJokes_Click);
    separator(view, "mnuViewBar1");
    QMenu *games = menu(view, "mnuDrinkingGames", QStringLiteral("Drinking Games..."));
    action(games, "mnuDice", QStringLiteral("Dice"), &frmMain::mnuDice_Click);
    action(games, "mnuCards", QStringLiteral("Cards"), &frmMain::mnuCards_Click);
    action(games, "mnuCoins", QStringLiteral("Coins"), &frmMain::mnuCoins_Click);
    action(games, "mnuBoardGames", QStringLiteral("Board Games"), &frmMain::mnuBoardGames_Click);
    action(games, "mnuMedia", QStringLiteral("TV and Movies"), &frmMain::mnuMedia_Click);
    action(games, "mnuSpeech", QStringLiteral("Speech"), &frmMain::mnuSpeech_Click);
    view->addMenu(games);
    separator(view, "mnuSpeech2");
    action(view, "mnuViewBrowser", QStringLiteral("&Web Browser..."), &frmMain::mnuViewBrowser_Click);
    separator(view, "mnuWebbrowser2");
    mnuViewToolbar = action(view, "mnuViewToolbar", QStringLiteral("&Toolbar"), &frmMain::mnuViewToolbar_Click);
    mnuViewToolbar->setCheckable(true);
    mnuViewToolbar->setChecked(true);
    mnuViewStatusBar = action(view, "mnuViewStatusBar", QStringLiteral("Status &Bar"), &frmMain::mnuViewStatusBar_Click);
    mnuViewStatusBar->setCheckable(true);
    mnuViewStatusBar->setChecked(true);
    separator(view, "mnuViewBar2");
    bar->addMenu(view);

    QMenu *queries = menu(bar, "mnuQueries", QStringLiteral("&Queries"));
    for (const CategoryEntry &c : kCategoryEntries)
        action(queries, c.menu, QString::fromUtf8(c.caption), c.handler);
    bar->addMenu(queries);

    QMenu *help = menu(bar, "mnuHelp", QStringLiteral("&Help"));
    action(help, "mnuHelpContents", QStringLiteral("&Contents"), &frmMain::mnuHelpContents_Click);
    action(help, "mnuHelpSearch", QStringLiteral("Search for help on..."), &frmMain::mnuHelpSearch_Click);
    separator(help, "mnuHelpBar1");
    action(help, "mnuHelpAbout", QStringLiteral("&About Pourvale..."), &frmMain::mnuHelpAbout_Click);
    bar->addMenu(help);
}

void frmMain::buildToolBar()
{
    QWidget *strip = findChild<QWidget *>(QStringLiteral("toolStrip"));
    auto *lay = new QVBoxLayout(strip);
    lay->setContentsMargins(0, 0, 0, 0);
    tbToolBar = new QToolBar(strip);
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    // Twenty-two buttons must fit the designed width.
    tbToolBar->setStyleSheet(QStringLiteral("QToolButton { padding: 0px; margin: 0px; }"));
    tbToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tbToolBar->setAccessibleName(tr("Toolbar"));
    lay->addWidget(tbToolBar);
    for (const ToolButton &b : kToolButtons) {
        if (!b.key) {
            tbToolBar->addSeparator();
            continue;
        }
        QAction *a = tbToolBar->addAction(QIcon(QStringLiteral(":/icons/toolbar/%1.svg").arg(QLatin1String(b.icon))),
                                          QLatin1String(b.tip));
        a->setObjectName(QStringLiteral("tb") + QLatin1String(b.key));
        a->setData(QLatin1String(b.key));
        a->setToolTip(QLatin1String(b.tip));
    }
    // The largest icons with which every button fits the designed width in
    // the desktop's style; the rest would hide behind the overflow arrow.
    for (int side = 22; side >= 16; side -= 2) {
        tbToolBar->setIconSize(QSize(side, side));
        if (tbToolBar->sizeHint().width() <= twipsToPx(9900))
            break;
    }
    connect(tbToolBar, &QToolBar::actionTriggered, this,
            [this](QAction *a) { Screen().guard([this, a] { tbToolBar_ButtonClick(a); }); });
}

void frmMain::buildStatusBar()
{
    QWidget *strip = findChild<QWidget *>(QStringLiteral("statusStrip"));
    auto *lay = new QVBoxLayout(strip);
    lay->setContentsMargins(0, 0, 0, 0);
    sbStatusBar = new QStatusBar(strip);
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    sbStatusBar->setSizeGripEnabled(false);
    lay->addWidget(sbStatusBar);
    auto panel = [this](const QString &name, const QString &text, int stretch) {
        auto *l = new QLabel(text, sbStatusBar);
        l->setTextFormat(Qt::PlainText);
        l->setObjectName(name);
        l->setToolTip(text);
        l->setFrameShape(QFrame::StyledPanel);
        l->setContentsMargins(4, 0, 4, 0);
        sbStatusBar->addPermanentWidget(l, stretch);
        return l;
    };
    panel(QStringLiteral("sbPanel1"), QStringLiteral("What's Your Poison?"), 2);
    panel(QStringLiteral("sbPanel2"), QStringLiteral("Remember...Don't Drink & Drive !"), 3);
    m_date = panel(QStringLiteral("sbPanel3"), QString(), 1);
    m_time = panel(QStringLiteral("sbPanel4"), QString(), 1);
    auto tick = [this] {
        const QLocale loc;
        m_date->setText(loc.toString(QDate::currentDate(), QLocale::ShortFormat));
        m_time->setText(loc.toString(QTime::currentTime(), QLocale::ShortFormat));
    };
    tick();
    // The strip is as tall as designed, or as the panels' text needs.
    strip->setFixedHeight(std::max(twipsToPx(kStatusTwips), sbStatusBar->sizeHint().height()));
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, tick);
    m_clock.start();
}

// ------------------------------------------------------------- lifecycle

double frmMain::Left() const { return pv::pxToTwips(pos().x()); }
double frmMain::Top() const { return pv::pxToTwips(pos().y()); }
double frmMain::Width() const { return pv::pxToTwips(width()); }
double frmMain::Height() const { return pv::pxToTwips(height()); }
int frmMain::WindowState() const
{
    if (isMinimized())
        return 1;
    return isMaximized() ? 2 : 0;
}

QString frmMain::fieldText(int index) const
{
    QWidget *w = txtFields.at(size_t(index));
    if (auto *le = qobject_cast<QLineEdit *>(w))
        return le->text();
    return static_cast<QPlainTextEdit *>(w)->toPlainText();
}

void frmMain::Form_Load()
{
    pv::AppInfo &app = Screen().App();
    app.HelpFile = app.Path + QLatin1Char('/') + pv::kHelpFileName;

    // Odd values (not numbers, absurd sizes) fall back or are held to a size
    // a person can still reach and enlarge.
    const double left = pv::placementSetting(QStringLiteral("MainLeft"), 1000, -20000, 200000);
    const double top = pv::placementSetting(QStringLiteral("MainTop"), 1000, -20000, 200000);
    const double width = pv::placementSetting(QStringLiteral("MainWidth"), 6500, 1500, 200000);
    const double height = pv::placementSetting(QStringLiteral("MainHeight"), 6500, 1500, 200000);
    move(twipsToPx(left), twipsToPx(top));
    if (firstStart()) {
        // The designed 6500 x 6500 would hide the glass picture, the buttons
        // and the search box: the first start shows the whole layout,
        // cut to the screen should that be smaller.
        resize(designedSize());
        pv::keepOnScreen(this, nullptr);
        loadCatalogue();
        return;
    }
    resize(twipsToPx(width), twipsToPx(height));
    // A place off every screen (a value from another desktop, or nonsense)
    // would hide the window: it opens at the default place instead.
    if (!pv::reachable(QRect(twipsToPx(left), twipsToPx(top), twipsToPx(width), 1)))
        move(twipsToPx(1000), twipsToPx(1000));
    loadCatalogue();
}

void frmMain::Form_Unload(int &Cancel)
{
    (void)Cancel;
    pv::ScreenView &sv = Screen();
    for (int i = sv.formsCount() - 1; i >= 1; --i)
        sv.Unload(sv.Forms(i));
    if (WindowState() != 1) {
        const QString app = sv.App().Title;
        sv.SaveSetting(app, QStringLiteral("Settings"), QStringLiteral("MainLeft"), QString::number(Left()));
        sv.SaveSetting(app, QStringLiteral("Settings"), QStringLiteral("MainTop"), QString::number(Top()));
        sv.SaveSetting(app, QStringLiteral("Settings"), QStringLiteral("MainWidth"), QString::number(Width()));
        sv.SaveSetting(app, QStringLiteral("Settings"), QStringLiteral("MainHeight"), QString::number(Height()));
    }
}

void frmMain::mnuViewToolbar_Click()
{
    const bool show = !tbToolBar->isVisible();
    tbToolBar->setVisible(show);
    mnuViewToolbar->setChecked(show);
}

void frmMain::mnuViewStatusBar_Click()
{
    const bool show = !sbStatusBar->isVisible();
    sbStatusBar->setVisible(show);
    mnuViewStatusBar->setChecked(show);
}

void frmMain::mnuFileExit_Click()
{
    Screen().Unload(this);
}

void frmMain::tbToolBar_ButtonClick(QAction *Button)
{
    const QString key = Button ? Button->data().toString() : QString();
    if (key == QLatin1String("Utensils"))
        mnuUtensils_Click();
    else if (key == QLatin1String("Glasses"))
        mnuGlasses_Click();
    else if (key == QLatin1String("Liquor"))
        mnuStockLiquor_Click();
    else if (key == QLatin1String("Browser"))
        mnuViewBrowser_Click();
    else if (key == QLatin1String("Help"))
        mnuHelpContents_Click();
    else if (key == QLatin1String("ViewAll"))
        mnuViewAll_Click();
    else if (key == QLatin1String("HotDrinks"))
        mnuHot_Click();
    else
        for (const CategoryEntry &c : kCategoryEntries)
            if (key == QLatin1String(c.source)) {
                (this->*c.handler)();
                break;
            }
}

// ------------------------------------------------------- opening windows

void frmMain::mnuUtensils_Click() { Screen().Show(Screen().Load<frmUtensils>()); }
void frmMain::mnuGlasses_Click() { Screen().Show(Screen().Load<frmGlasses>()); }
void frmMain::mnuStockLiquor_Click() { Screen().Show(Screen().Load<frmLiquor>()); }
void frmMain::mnuPickuplines_Click() { Screen().Show(Screen().Load<frmLines>()); }
void frmMain::mnuToasting_Click() { Screen().Show(Screen().Load<frmToasting>()); }
void frmMain::mnuJokes_Click() { Screen().Show(Screen().Load<frmJoke>()); }
void frmMain::mnuDice_Click() { Screen().Show(Screen().Load<frmDice>()); }
void frmMain::mnuCards_Click() { Screen().Show(Screen().Load<frmCards>()); }
void frmMain::mnuCoins_Click() { Screen().Show(Screen().Load<frmMoney>()); }
void frmMain::mnuBoardGames_Click() { Screen().Show(Screen().Load<frmBgames>()); }
void frmMain::mnuMedia_Click() { Screen().Show(Screen().Load<frmMedia>()); }
void frmMain::mnuSpeech_Click() { Screen().Show(Screen().Load<frmSpeech>()); }
void frmMain::mnuViewBrowser_Click() { frmBrowser::OpenNew(pv::web::kStartPage); }
void frmMain::mnuHelpAbout_Click() { Screen().Show(Screen().Load<frmAbout>(), 1, this); }
void frmMain::mnuHelpContents_Click() { pv::helpContents(windowTitle()); }
void frmMain::mnuHelpSearch_Click() { pv::helpSearch(windowTitle()); }
void frmMain::mnuFilePrint_Click() { pv::printRecipeToDefaultPrinter(this); }

// ---------------------------------------------------------------- records

void frmMain::moveToEnd(bool first)
{
    pv::Recordset &rs = Data1->recordset();
    try {
        if (first)
            rs.MoveFirst();
        else
            rs.MoveLast();
    } catch (const pv::DataError &e) {
        if (e.number() != pv::ErrNoCurrentRecord || rs.RecordCount() != 0)
            throw;
        Screen().MsgBox(QStringLiteral("There are no drinks in this list yet. Press Add to write the first one."));
    }
}

void frmMain::cmdBegofFile_Click()
{
    moveToEnd(true);
}

void frmMain::cmdPrevious_Click()
{
    if (Data1->recordset().Bof()) {
        Screen().MsgBox(QStringLiteral("You are already at the beginning of the list of drinks!"));
        return;
    }
    Data1->recordset().MovePrevious();
}

void frmMain::cmdNext_Click()
{
    if (Data1->recordset().Eof()) {
        Screen().MsgBox(QStringLiteral("You are at the end of the list of drinks!"));
        return;
    }
    Data1->recordset().MoveNext();
}

void frmMain::cmdEndofList_Click()
{
    moveToEnd(false);
}

void frmMain::cmdAdd_Click()
{
    Data1->recordset().AddNew();
}

void frmMain::cmdDelete_Click()
{
    pv::Recordset &rs = Data1->recordset();
    if (rs.isAdding()) {
        // Delete on a new drink abandons it, and only it.
        rs.CancelUpdate();
        return;
    }
    // With no row on screen the steps below have nothing to act on.
    if (rs.isEmpty()) {
        Screen().MsgBox(QStringLiteral("There are no drinks in this list to delete."));
        return;
    }
    if (rs.AbsolutePosition() < 0) {
        Screen().MsgBox(QStringLiteral("There is no drink on the screen to delete. Move to a drink first."));
        return;
    }
    rs.Delete();
    if (rs.isEmpty()) {
        rs.MoveNext();
        Screen().MsgBox(QStringLiteral("That was the last drink in this list; the list is now empty."));
        return;
    }
    if (rs.Eof())
        rs.MovePrevious();
    rs.MoveNext();
    if (rs.Eof())
        rs.MoveLast();
}

void frmMain::cmdRefresh_Click()
{
    Data1->Refresh();
}

void frmMain::cmdUpdate_Click()
{
    // Changes are saved when the row is left.
}

void frmMain::Data1_Reposition()
{
    Screen().setMousePointer(pv::vbDefault);
    try {
        Data1->setCaption(QStringLiteral("Drink# ") + QString::number(Data1->recordset().AbsolutePosition() + 1));
    } catch (...) {
        // The caption keeps its text.
    }
}

void frmMain::Data1_Validate(int &Action, int &Save)
{
    (void)Save;
    if (Action == pv::vbDataActionClose)
        Screen().setMousePointer(pv::vbDefault);
    Screen().setMousePointer(pv::vbHourglass);
}

// ----------------------------------------------------------------- search

QString frmMain::searchCriterion() const
{
    // Pattern characters and apostrophes typed by the user stand for
    // themselves, and accents are optional: "pina" finds "Piña Colada".
    const QString text = txtSearchString->text();
    return QStringLiteral("DrinkName Like ") + QStringLiteral("'*") + pv::quoteSqlLiteral(pv::accentBlindLike(text))
           + QStringLiteral("*'");
}

void frmMain::tellSearch(const QString &message)
{
    // Disabling the focused Find Next would pass the focus on to the drink's
    // name with all of it selected, where one key would replace it.
    txtSearchString->setFocus(Qt::OtherFocusReason);
    Screen().MsgBox(message);
}

void frmMain::cmdSearch_Click()
{
    if (txtSearchString->text().isEmpty()) {
        tellSearch(QStringLiteral("You must enter at least some of the letters of the drink that you wish to "
                                  "search for into the text box just to the right of the Search button."));
        return;
    }
    cmdFindNext->setEnabled(true);
    Data1->recordset().FindFirst(searchCriterion());
    if (Data1->recordset().NoMatch()) {
        txtSearchString->setFocus(Qt::OtherFocusReason);
        cmdFindNext->setEnabled(false);
        tellSearch(QStringLiteral("There are no drinks that match your search"));
    }
}

void frmMain::cmdFindNext_Click()
{
    if (!Data1->recordset().NoMatch())
        Data1->recordset().FindNext(searchCriterion());
    if (Data1->recordset().NoMatch()) {
        txtSearchString->setFocus(Qt::OtherFocusReason);
        cmdFindNext->setEnabled(false);
        tellSearch(QStringLiteral("There are no more drinks that match your search"));
    }
}

// ------------------------------------------------------------- categories

void frmMain::confineTo(const QString &recordSource)
{
    Data1->setRecordSource(recordSource);
    Data1->Refresh();
}

void frmMain::mnuViewAll_Click() { confineTo(QStringLiteral("drinklst")); }
void frmMain::mnuAperitifs_Click() { confineTo(QStringLiteral("Aperitifs")); }
void frmMain::mnuBeer_Click() { confineTo(QStringLiteral("Beer")); }
void frmMain::mnuBourbon_Click() { confineTo(QStringLiteral("Bourbon")); }
void frmMain::mnuBrandy_Click() { confineTo(QStringLiteral("Brandy")); }
void frmMain::mnuCordials_Click() { confineTo(QStringLiteral("Cordials")); }
void frmMain::mnuGin_Click() { confineTo(QStringLiteral("Gin")); }
void frmMain::mnuHot_Click() { confineTo(QStringLiteral("HotDrinks")); }
void frmMain::mnuNonAlcoholic_Click() { confineTo(QStringLiteral("NonAlcoholic")); }
void frmMain::mnuPunch_Click() { confineTo(QStringLiteral("Punch")); }
void frmMain::mnuRum_Click() { confineTo(QStringLiteral("Rum")); }
void frmMain::mnuScotch_Click() { confineTo(QStringLiteral("Scotch")); }
void frmMain::mnuTequila_Click() { confineTo(QStringLiteral("Tequila")); }
void frmMain::mnuTropical_Click() { confineTo(QStringLiteral("Tropical")); }
void frmMain::mnuVodka_Click() { confineTo(QStringLiteral("Vodka")); }
void frmMain::mnuWhiskey_Click() { confineTo(QStringLiteral("Whiskey")); }
void frmMain::mnuWine_Click() { confineTo(QStringLiteral("Wine")); }

// ------------------------------------------------------------ glass picture

void frmMain::txtGlassname_Change()
{
    // A name that is none of the twenty shows no picture, rather than the
    // picture of the drink before.
    bool known = false;
    for (const GlassPicture &g : kGlassPictures)
        known = known || txtGlassname->text() == QLatin1String(g.glass);
    if (!known)
        for (QSvgWidget *pic : glassPictures)
            pic->hide();
    for (size_t i = 0; i < std::size(kGlassPictures); ++i) {
        if (txtGlassname->text() != QLatin1String(kGlassPictures[i].glass))
            continue;
        QSvgWidget *shown = glassPictures[i];
        if (shown->renderer()->isValid() == false) {
            shown->load(shown->property("pvPicture").toString());
            shown->renderer()->setAspectRatioMode(Qt::KeepAspectRatio);
        }
        for (size_t j = 0; j < glassPictures.size(); ++j)
            glassPictures[j]->setVisible(j == i);
    }
}
