#include "reference/frmGlasses.h"

#include "ui/Twips.h"

#include <QPlainTextEdit>

namespace {

// One row per glass, in the order of the buttons (left column top to bottom,
// then the right column). A description is either quoted here, exactly as
// designed, or kept as a text file among the content.
struct Glass {
    const char *button;
    const char *caption;
    const char *picture;
    const char *pictureFile; // under :/pictures/glasses/
    const char *label;
    const char *labelCaption;
    const char *textBox;
    const char *text;     // quoted description
    const char *textFile; // or a description under :/texts/
    void (frmGlasses::*click)();
    bool shownAtOpening;
};

// clang-format off
const Glass kGlasses[] = {
    {"cmdBeerMug", "Beer Mug", "picBeerMug", "beermug.svg", "lblBeerMug", "Beer Mug", "txtBeerMug",
     "The most common glass in which to serve beer. Mugs should be chilled/frosted \r\nuntil just before serving.\r\n",
     nullptr, &frmGlasses::cmdBeerMug_Click, false},
    {"cmdBrandySnifter", "Brandy Snifter", "picBrandySnifter", "brandysnifter.svg", "lblBrandySnifter",
     "Brandy Snifter", "txtBrandySnifter",
     nullptr, "glasses/BrandySnifter.txt", &frmGlasses::cmdBrandySnifter_Click, true},
    {"cmdBeerPilsner", "Beer Pilsner", "picBeerPilsner", "beerpilsner.svg", "lblBeerPilsner", "Beer Pilsner",
     "txtBeerPilsner",
     "Pilsners are used to serve beer at more formal occasions.\r\n",
     nullptr, &frmGlasses::cmdBeerPilsner_Click, false},
    {"cmdChampagneFlute", "Champagne Flute", "picChampagneFlute", "champagneflute.svg", "lblChampagneFlute",
     "Champagne Flute", "txtChampagneFlute",
     nullptr, "glasses/ChampagneFlute.txt", &frmGlasses::cmdChampagneFlute_Click, false},
    {"cmdCocktail", "Cocktail", "picCocktail", "cocktail.svg", "lblCocktail", "Cocktail", "txtCocktail",
     nullptr, "glasses/Cocktail.txt", &frmGlasses::cmdCocktail_Click, false},
    {"cmdCoffeeMug", "Coffee Mug", "picCoffeeMug", "coffeemug.svg", "lblCoffeeMug", "Coffee Mug", "txtCoffeeMug",
     "A coffee mug is used to serve hot beverages.\r\n",
     nullptr, &frmGlasses::cmdCoffeeMug_Click, false},
    {"cmdCollins", "Collins", "picCollins", "collins.svg", "lblCollins", "Collins", "txtCollins",
     nullptr, "glasses/Collins.txt", &frmGlasses::cmdCollins_Click, false},
    {"cmdgoblet", "Goblet", "picGoblet", "goblet.svg", "lblGoblet", "Goblet", "txtGoblet",
     "A Goblet is usually used to serve wine at gothic dinner parties.\r\n",
     nullptr, &frmGlasses::cmdgoblet_Click, false},
    {"cmdHighball", "Highball", "picHighball", "highball.svg", "lblHighball", "Highball", "txtHighball",
     "A straight-sided glass ranging from eight to ten ounces for most standard mixed drinks.  ",
     nullptr, &frmGlasses::cmdHighball_Click, false},
    {"cmdIrishCoffee", "Irish Coffee", "picIrishCoffee", "irishcoffee.svg", "lblIrishCoffee", "Irish Coffee Cup",
     "txtIrishCoffee",
     "Used primarily for hot drinks\r\n",
     nullptr, &frmGlasses::cmdIrishCoffee_Click, false},
    {"cmdOldFashioned", "Old-Fashioned", "picOldFashioned", "oldfashioned.svg", "lblOldFashioned", "Old-Fashioned",
     "txtOldFashioned",
     "Probably the most common of the drink glasses, the old-fashioned is used to hold a wide variety of drinks.\r\n",
     nullptr, &frmGlasses::cmdOldFashioned_Click, false},
    {"cmdParfait", "Parfait", "picParfait", "parfait.svg", "lblParfait", "Parfait", "txtParfait",
     "No info on this glass\r\n",
     nullptr, &frmGlasses::cmdParfait_Click, false},
    {"cmdPony", "Pony", "picPony", "pony.svg", "lblPony", "Pony", "txtPony",
     "No info on this glass\r\n",
     nullptr, &frmGlasses::cmdPony_Click, false},
    {"cmePousseCafe", "Pousse Cafe", "picPousseCafe", "poussecafe.svg", "lblPousseCafe", "Pousse Cafe",
     "txtPousseCafe",
     "A stemmed glass holding one to two ounces for liqueur, brandy and small \r\npousse-caf\u00e8s.  \r\n",
     nullptr, &frmGlasses::cmePousseCafe_Click, false},
    {"cmdPunchCup", "Punch Cup", "picPunchCup", "punchcup.svg", "lblPunchCup", "Punch Cup", "txtPunchCup",
     "Generally, punch cups are used to serve punch at parties.\r\n",
     nullptr, &frmGlasses::cmdPunchCup_Click, false},
    {"cmdRedWine", "Red Wine", "picRedWine", "redwine.svg", "lblRedWine", "Red Wine", "txtRedWine",
     nullptr, "glasses/RedWine.txt", &frmGlasses::cmdRedWine_Click, false},
    {"cmdSherry", "Sherry", "picSherry", "sherry.svg", "lblSherry", "Sherry", "txtSherry",
     "A stemmed glass holding about three ounces used for cordials and liqueurs.  \r\n",
     nullptr, &frmGlasses::cmdSherry_Click, false},
    {"cmdShotGlass", "Shot Glass", "picShotGlass", "shotglass.svg", "lblShotGlass", "Shot Glass", "txtShotGlass",
     "Shot glasses hold 1 to 1 1/2 ounces of liquor. They are used to knock back \r\ndrinks in a quick gulps.\r\n",
     nullptr, &frmGlasses::cmdShotGlass_Click, false},
    {"cmdWhiskeySour", "Whiskey Sour", "picWhiskeySour", "whiskeysour.svg", "lblWhiskeySour", "Whiskey Sour",
     "txtWhiskeySour",
     nullptr, "glasses/WhiskeySour.txt", &frmGlasses::cmdWhiskeySour_Click, false},
    {"cmdWhiteWine", "White Wine", "picWhiteWine", "whitewine.svg", "lblWhiteWine", "White Wine", "txtWhiteWine",
     nullptr, "glasses/WhiteWine.txt", &frmGlasses::cmdWhiteWine_Click, false},
};
// clang-format on

// Layout, in twips. The picture box is taller than the glass so that the
// name stands above the glass rather than across it. The description box is
// wide enough that the designed line breaks fall at the end of a full line.
constexpr int kMargin = 120;
constexpr int kTop = 720;
constexpr int kButtonWidth = 1815, kButtonHeight = 375, kButtonPitch = 420, kColumnGap = 120;
constexpr int kRows = 10;
constexpr int kWidth = 9000;
constexpr int kButtonsRight = kMargin + 2 * kButtonWidth + kColumnGap;
constexpr int kPictureWidth = 2250, kPictureHeight = 2730;
constexpr int kPictureLeft = kButtonsRight + (kWidth - kMargin - kButtonsRight - kPictureWidth) / 2;
constexpr int kNameHeight = 285;
constexpr int kCloseWidth = 1215, kCloseHeight = 375;
constexpr int kTextTop = kTop + kRows * kButtonPitch + 120, kTextHeight = 1200;
constexpr int kHeight = kTextTop + kTextHeight + kMargin;

} // namespace

frmGlasses::frmGlasses(QWidget *parent) : QWidget(parent)
{
    using pv::ReferencePanel;
    setObjectName(QStringLiteral("frmGlasses"));
    setWindowTitle(QStringLiteral("Glasses"));
    setFixedSize(pv::twipsToPx(kWidth), pv::twipsToPx(kHeight));

    Label1 = ReferencePanel::heading(
        this, QStringLiteral("The following Glasses are needed to properly prepare the drinks in Pourvale"),
        ReferencePanel::twips(kMargin, kMargin, kWidth - 2 * kMargin, 510));

    const QRect pictureArea = ReferencePanel::twips(kPictureLeft, kTop, kPictureWidth, kPictureHeight);
    const QRect textArea = ReferencePanel::twips(kMargin, kTextTop, kWidth - 2 * kMargin, kTextHeight);
    int row = 0;
    for (const Glass &g : kGlasses) {
        const int column = row / kRows;
        auto *button = new QPushButton(QString::fromUtf8(g.caption), this);
        button->setObjectName(QString::fromUtf8(g.button));
        button->setGeometry(ReferencePanel::twips(kMargin + column * (kButtonWidth + kColumnGap),
                                                  kTop + (row % kRows) * kButtonPitch, kButtonWidth, kButtonHeight));
        pv::onEvent(button, &QPushButton::clicked, this, [this, click = g.click] { (this->*click)(); });

        const QString file = QStringLiteral(":/pictures/glasses/") + QString::fromUtf8(g.pictureFile);
        auto *picture = ReferencePanel::pictureBox(this, QString::fromUtf8(g.picture), file, pictureArea,
                                                   Qt::AlignHCenter | Qt::AlignBottom);

        // Made after the picture, so it is drawn above it.
        auto *name = new QLabel(QString::fromUtf8(g.labelCaption), this);
        name->setTextFormat(Qt::PlainText);
        name->setObjectName(QString::fromUtf8(g.label));
        name->setGeometry(ReferencePanel::twips(kPictureLeft, kTop, kPictureWidth, kNameHeight));
        name->setFont(Label1->font());

        auto *box = ReferencePanel::descriptionBox(this, g, textArea, g.labelCaption);

        m_panel.addItem(button, {picture, name, box});
        ++row;
    }
    m_panel.fitSelectorCaptions();
    m_panel.selectInitial(kGlasses);

    const QRect close = ReferencePanel::twips(kPictureLeft + (kPictureWidth - kCloseWidth) / 2,
                                              kTop + (kRows - 1) * kButtonPitch, kCloseWidth, kCloseHeight);
    cmdClose = ReferencePanel::closeButton(this, close, [this] { cmdClose_Click(); });

    // Tab goes down the left column of buttons, then the right one, then to
    // Close below the picture and last to the description at the bottom
    // (the one that is shown; the others are hidden and skipped).
    QWidget::setTabOrder(m_panel.tabThroughSelectors(), cmdClose);
    m_panel.tabThroughDescriptions(cmdClose);
}

void frmGlasses::cmdBeerMug_Click() { m_panel.select(u"cmdBeerMug"); }
void frmGlasses::cmdBrandySnifter_Click() { m_panel.select(u"cmdBrandySnifter"); }
void frmGlasses::cmdBeerPilsner_Click() { m_panel.select(u"cmdBeerPilsner"); }
void frmGlasses::cmdChampagneFlute_Click() { m_panel.select(u"cmdChampagneFlute"); }
void frmGlasses::cmdCocktail_Click() { m_panel.select(u"cmdCocktail"); }
void frmGlasses::cmdCoffeeMug_Click() { m_panel.select(u"cmdCoffeeMug"); }
void frmGlasses::cmdCollins_Click() { m_panel.select(u"cmdCollins"); }
void frmGlasses::cmdgoblet_Click() { m_panel.select(u"cmdgoblet"); }
void frmGlasses::cmdHighball_Click() { m_panel.select(u"cmdHighball"); }
void frmGlasses::cmdIrishCoffee_Click() { m_panel.select(u"cmdIrishCoffee"); }
void frmGlasses::cmdOldFashioned_Click() { m_panel.select(u"cmdOldFashioned"); }
void frmGlasses::cmdParfait_Click() { m_panel.select(u"cmdParfait"); }
void frmGlasses::cmdPony_Click() { m_panel.select(u"cmdPony"); }
void frmGlasses::cmePousseCafe_Click() { m_panel.select(u"cmePousseCafe"); }
void frmGlasses::cmdPunchCup_Click() { m_panel.select(u"cmdPunchCup"); }
void frmGlasses::cmdRedWine_Click() { m_panel.select(u"cmdRedWine"); }
void frmGlasses::cmdSherry_Click() { m_panel.select(u"cmdSherry"); }
void frmGlasses::cmdShotGlass_Click() { m_panel.select(u"cmdShotGlass"); }
void frmGlasses::cmdWhiskeySour_Click() { m_panel.select(u"cmdWhiskeySour"); }
void frmGlasses::cmdWhiteWine_Click() { m_panel.select(u"cmdWhiteWine"); }

void frmGlasses::cmdClose_Click()
{
    pv::Screen().Unload(this);
}
