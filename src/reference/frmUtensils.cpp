#include "reference/frmUtensils.h"

#include "ui/Twips.h"

#include <QPlainTextEdit>

namespace {

// One row per utensil, in the order of the names (left column top to bottom,
// then the right column). A description is either quoted here, exactly as
// designed, or kept as a text file among the content.
struct Utensil {
    const char *label;
    const char *caption;
    const char *picture;
    const char *pictureFile; // under :/pictures/
    const char *textBox;
    const char *text;     // quoted description
    const char *textFile; // or a description under :/texts/
    void (frmUtensils::*click)();
    bool shownAtOpening;
};

// clang-format off
const Utensil kUtensils[] = {
    {"lblCanOpener", "Can Opener", "picCanOpener", "utensils/canopener.svg", "txtCanOpener",
     nullptr, "utensils/BottleOpener.txt", &frmUtensils::lblCanOpener_Click, false},
    {"lblBottleOpener", "Bottle Opener", "picBottleOpener", "utensils/bottleopener.svg", "txtBottleOpener",
     nullptr, "utensils/BottleOpener.txt", &frmUtensils::lblBottleOpener_Click, false},
    {"lblCorkscrew", "Corkscrew", "picCorkscrew", "utensils/corkscrew.svg", "txtCorkscrew",
     nullptr, "utensils/Corkscrew.txt", &frmUtensils::lblCorkscrew_Click, true},
    {"lblWaitersCorkscrew", "Waiter's Corkscrew", "picWaitersScrew", "utensils/waiterscorkscrew.svg", "txtWaitersScrew",
     "Used to open bottles of wine just like other corksecrews, a waiter's corkscrew can be used with one hand.\r\n",
     nullptr, &frmUtensils::lblWaitersCorkscrew_Click, false},
    {"lblCoilrimmedStrainer", "Coil-rimmed Strainer", "picStrainer", "utensils/strainer.svg", "txtCoilrimmedStrainer",
     nullptr, "utensils/CoilrimmedStrainer.txt", &frmUtensils::lblCoilrimmedStrainer_Click, false},
    {"lblShaker", "Shaker", "picShaker", "utensils/shaker.svg", "txtShaker",
     "A professional shaker consisting of a 16 oz mixing glass, and a metal top, is a definate must. \r\n",
     nullptr, &frmUtensils::lblShaker_Click, false},
    {"lblStirringSpoon", "Stirring Spoon", "picSpoon", "utensils/spoon.svg", "txtSpoon",
     "A long-handled spoon for stirring mixed drinks, especially in a tall glass. \r\n",
     nullptr, &frmUtensils::lblStirringSpoon_Click, false},
    {"lblElectricBlender", "Electric Blender", "picBlender", "utensils/blender.svg", "txtBlender",
     nullptr, "utensils/ElectricBlender.txt", &frmUtensils::lblElectricBlender_Click, false},
    {"lblLargeWoodenSpoon", "Large Wooden Spoon", "picLargeWoodenSpoon", "utensils/largewoodenspoon.svg",
     "txtLargeWoodenSpoon",
     nullptr, "utensils/LargeWoodenSpoon.txt", &frmUtensils::lblLargeWoodenSpoon_Click, false},
    {"lblCorrectGlasses", "Correct Glasses", "picCorrectGlasses", "glasses/cocktail.svg", "txtCorrectGlasses",
     "Each drink is meant to be served in a particular type of glass.\r\n",
     nullptr, &frmUtensils::lblCorrectGlasses_Click, false},
    {"lblSharpKnife", "Sharp Knife", "picSharpKnife", "utensils/sharpknife.svg", "txtSharpKnife",
     "A sharp knife is needed to carve fruit twists and wedges.\r\n",
     nullptr, &frmUtensils::lblSharpKnife_Click, false},
    {"lblCuttingBoard", "Cutting Board", "picCuttingBoard", "utensils/cuttingboard.svg", "txtCuttingBoard",
     nullptr, "utensils/CuttingBoard.txt", &frmUtensils::lblCuttingBoard_Click, false},
    {"lbl1GallonPitcher", "1 Gallon Pitcher", "pic1GallonPitcher", "utensils/gallonpitcher.svg", "txt1GallonPitcher",
     nullptr, "utensils/1GallonPitcher.txt", &frmUtensils::lbl1GallonPitcher_Click, false},
    {"lblJuicer", "Juicer", "picJuicer", "utensils/juicer.svg", "txtJuicer",
     nullptr, "utensils/Juicer.txt", &frmUtensils::lblJuicer_Click, false},
    {"lblMeasuringCup", "Measuring Cup", "picMeasuringCup", "utensils/measuringcup.svg", "txtMeasuringCup",
     "A measuring cup is the easiest way to measure out amounts of fluids.\r\n",
     nullptr, &frmUtensils::lblMeasuringCup_Click, false},
    {"lblMeasuringSpoons", "Measuring Spoons", "picMeasuringSpoons", "utensils/measuringspoons.svg",
     "txtMeasuringSpoons",
     "Buy the common kitchen-variety set of nested spoons, they are a necessity\r\n",
     nullptr, &frmUtensils::lblMeasuringSpoons_Click, false},
    {"lblJigger", "Jigger", "picjigger", "utensils/jigger.svg", "txtJigger",
     "The standard metal jigger measures 1 \u00b9/2 oz on the large end and 1 oz on the small end. \r\n",
     nullptr, &frmUtensils::lblJigger_Click, false},
    {"lblIceBucket", "Ice Bucket", "picIceBucket", "utensils/icebucket.svg", "txtIceBucket",
     nullptr, "utensils/IceBucket.txt", &frmUtensils::lblIceBucket_Click, false},
    {"lblIceTongs", "Ice Tongs", "picTongs", "utensils/tongs.svg", "txtTongs",
     "Ice tongs are a genteel way of serving ice in a drink. \r\n",
     nullptr, &frmUtensils::lblIceTongs_Click, false},
};
// clang-format on

// Layout, in twips. Each picture keeps its own size and stands on the
// bottom edge of the picture area, centred across it.
constexpr int kMargin = 120;
constexpr int kTop = 720;
constexpr int kNameWidth = 2280, kNameHeight = 285, kNamePitch = 345, kColumnGap = 120;
constexpr int kRows = 10;
constexpr int kPictureLeft = kMargin + 2 * (kNameWidth + kColumnGap) + 120;
constexpr int kWidth = 9000;
constexpr int kPictureWidth = kWidth - kMargin - kPictureLeft, kPictureHeight = 3750;
constexpr int kTextTop = kTop + kPictureHeight + 150, kTextHeight = 1095;
constexpr int kCloseWidth = 1215, kCloseHeight = 375;
constexpr int kCloseTop = kTextTop + kTextHeight + 120;
constexpr int kHeight = kCloseTop + kCloseHeight + kMargin;

} // namespace

frmUtensils::frmUtensils(QWidget *parent) : QWidget(parent)
{
    using pv::ReferencePanel;
    setObjectName(QStringLiteral("frmUtensils"));
    setWindowTitle(QStringLiteral("Bartender Utensils"));
    setFixedSize(pv::twipsToPx(kWidth), pv::twipsToPx(kHeight));

    Label1 = ReferencePanel::heading(
        this, QStringLiteral("The following utensils are needed to properly prepare the drinks in Pourvale:"),
        ReferencePanel::twips(kMargin, kMargin, kWidth - 2 * kMargin, 510));

    const QRect pictureArea = ReferencePanel::twips(kPictureLeft, kTop, kPictureWidth, kPictureHeight);
    const QRect textArea = ReferencePanel::twips(kMargin, kTextTop, kWidth - 2 * kMargin, kTextHeight);
    int row = 0;
    for (const Utensil &u : kUtensils) {
        const int column = row / kRows;
        const QRect at = ReferencePanel::twips(kMargin + column * (kNameWidth + kColumnGap),
                                               kTop + (row % kRows) * kNamePitch, kNameWidth, kNameHeight);
        auto *name = ReferencePanel::nameLabel(this, u.label, u.caption, at,
                                               [this, click = u.click] { (this->*click)(); });

        auto *picture = ReferencePanel::pictureBoxOwnSize(
            this, QString::fromUtf8(u.picture), QStringLiteral(":/pictures/") + QString::fromUtf8(u.pictureFile),
            pictureArea, Qt::AlignHCenter | Qt::AlignBottom);

        auto *box = ReferencePanel::descriptionBox(this, u, textArea, u.caption);

        m_panel.addItem(name, {picture, box});
        ++row;
    }
    m_panel.fitSelectorCaptions();
    m_panel.selectInitial(kUtensils);

    const QRect close = ReferencePanel::twips(kWidth - kMargin - kCloseWidth, kCloseTop, kCloseWidth, kCloseHeight);
    cmdClose = ReferencePanel::closeButton(this, close, [this] { cmdClose_Click(); });

    // Tab goes down the names (column by column), then to the description
    // that is shown (the hidden ones are skipped) and last to Close.
    QWidget::setTabOrder(m_panel.tabThroughDescriptions(m_panel.tabThroughSelectors()), cmdClose);
}

void frmUtensils::lblCanOpener_Click() { m_panel.select(u"lblCanOpener"); }
void frmUtensils::lblBottleOpener_Click() { m_panel.select(u"lblBottleOpener"); }
void frmUtensils::lblCorkscrew_Click() { m_panel.select(u"lblCorkscrew"); }
void frmUtensils::lblWaitersCorkscrew_Click() { m_panel.select(u"lblWaitersCorkscrew"); }
void frmUtensils::lblCoilrimmedStrainer_Click() { m_panel.select(u"lblCoilrimmedStrainer"); }
void frmUtensils::lblShaker_Click() { m_panel.select(u"lblShaker"); }
void frmUtensils::lblStirringSpoon_Click() { m_panel.select(u"lblStirringSpoon"); }
void frmUtensils::lblElectricBlender_Click() { m_panel.select(u"lblElectricBlender"); }
void frmUtensils::lblLargeWoodenSpoon_Click() { m_panel.select(u"lblLargeWoodenSpoon"); }
void frmUtensils::lblCorrectGlasses_Click() { m_panel.select(u"lblCorrectGlasses"); }
void frmUtensils::lblSharpKnife_Click() { m_panel.select(u"lblSharpKnife"); }
void frmUtensils::lblCuttingBoard_Click() { m_panel.select(u"lblCuttingBoard"); }
void frmUtensils::lbl1GallonPitcher_Click() { m_panel.select(u"lbl1GallonPitcher"); }
void frmUtensils::lblJuicer_Click() { m_panel.select(u"lblJuicer"); }
void frmUtensils::lblMeasuringCup_Click() { m_panel.select(u"lblMeasuringCup"); }
void frmUtensils::lblMeasuringSpoons_Click() { m_panel.select(u"lblMeasuringSpoons"); }
void frmUtensils::lblJigger_Click() { m_panel.select(u"lblJigger"); }
void frmUtensils::lblIceBucket_Click() { m_panel.select(u"lblIceBucket"); }
void frmUtensils::lblIceTongs_Click() { m_panel.select(u"lblIceTongs"); }

void frmUtensils::cmdClose_Click()
{
    pv::Screen().Unload(this);
}
