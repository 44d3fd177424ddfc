#include "reference/frmLiquor.h"

#include "ui/Twips.h"

#include <QPlainTextEdit>

namespace {

// One row per liquor, in the order of the names, top to bottom. A
// description is either quoted here, exactly as designed, or kept as a text
// file among the content.
struct Liquor {
    const char *label;
    const char *caption;
    const char *marker;
    const char *picture;
    const char *pictureFile; // under :/pictures/liquors/
    const char *textBox;
    const char *text;     // quoted description
    const char *textFile; // or a description under :/texts/
    void (frmLiquor::*click)();
    bool shownAtOpening;
};

// clang-format off
const Liquor kLiquors[] = {
    {"lblBourbon", "Bourbon", "picBourbonMarker", "picBourbon", "bourbon.svg", "txtBourbon",
     "A whiskey distilled from a fermented mash of corn, malt, and rye.",
     nullptr, &frmLiquor::lblBourbon_Click, true},
    {"lblBrandy", "Brandy", "picBrandyMarker", "picBrandy", "brandy.svg", "txtBrandy",
     nullptr, "liquors/Brandy.txt", &frmLiquor::lblBrandy_Click, false},
    {"lblGin", "Gin", "picGinMarker", "picGin", "gin.svg", "txtGin",
     nullptr, "liquors/Gin.txt", &frmLiquor::lblGin_Click, false},
    {"lblRum", "Rum", "picRumMarker", "picRum", "rum.svg", "txtRum",
     nullptr, "liquors/Rum.txt", &frmLiquor::lblRum_Click, false},
    {"lblScotch", "Scotch", "picScotchMarker", "picScotch", "scotch.svg", "txtScotch",
     "A whiskey distilled in Scotland from malted barley.\r\n",
     nullptr, &frmLiquor::lblScotch_Click, false},
    {"lblTequila", "Tequila", "picTequilaMarker", "picTequila", "tequila.svg", "txtTequila",
     "An alcoholic liquor distilled from an agave.\r\n",
     nullptr, &frmLiquor::lblTequila_Click, false},
    {"lblVodka", "Vodka", "picVodkaMarker", "picVodka", "vodka.svg", "txtVodka",
     nullptr, "liquors/Vodka.txt", &frmLiquor::lblVodka_Click, false},
    {"lblWhiskey", "Whiskey", "picWhiskeyMarker", "picWhiskey", "whiskey.svg", "txtWhiskey",
     nullptr, "liquors/Whiskey.txt", &frmLiquor::lblWhiskey_Click, false},
    {"lblRedWine", "Red Wine", "picRedWineMarker", "picRedWine", "redwine.svg", "txtRedWine",
     nullptr, "liquors/Wine.txt", &frmLiquor::lblRedWine_Click, false},
    {"lblWhiteWine", "White Wine", "picWhiteWineMarker", "picWhiteWine", "whitewine.svg", "txtWhiteWine",
     nullptr, "liquors/Wine.txt", &frmLiquor::lblWhiteWine_Click, false},
};
// clang-format on

// Layout, in twips. The marker is a solid cyan square just left of its name,
// centred on the name's row; each picture keeps its own size and stands on
// the bottom edge of the picture area, centred across it.
constexpr int kMargin = 120;
constexpr int kTop = 720;
constexpr int kMarker = 255, kMarkerGap = 60;
constexpr int kNameLeft = kMargin + kMarker + kMarkerGap;
constexpr int kNameWidth = 1800, kNameHeight = 285, kNamePitch = 360;
constexpr int kPictureLeft = kNameLeft + kNameWidth + 120;
constexpr int kWidth = 9000;
constexpr int kPictureWidth = kWidth - kMargin - kPictureLeft, kPictureHeight = 3600;
constexpr int kTextTop = kTop + kPictureHeight + 240, kTextHeight = 1800;
constexpr int kCloseWidth = 1215, kCloseHeight = 375;
constexpr int kCloseTop = kTextTop + kTextHeight + 120;
constexpr int kHeight = kCloseTop + kCloseHeight + kMargin;

} // namespace

frmLiquor::frmLiquor(QWidget *parent) : QWidget(parent)
{
    using pv::ReferencePanel;
    setObjectName(QStringLiteral("frmLiquor"));
    setWindowTitle(QStringLiteral("Liquors"));
    setFixedSize(pv::twipsToPx(kWidth), pv::twipsToPx(kHeight));

    Label1 = ReferencePanel::heading(
        this, QStringLiteral("The following Liquors are needed to properly prepare the drinks in Pourvale"),
        ReferencePanel::twips(kMargin, kMargin, kWidth - 2 * kMargin, 510));

    const QRect pictureArea = ReferencePanel::twips(kPictureLeft, kTop, kPictureWidth, kPictureHeight);
    const QRect textArea = ReferencePanel::twips(kMargin, kTextTop, kWidth - 2 * kMargin, kTextHeight);
    int row = 0;
    for (const Liquor &l : kLiquors) {
        const int top = kTop + row * kNamePitch;
        const QRect at = ReferencePanel::twips(kNameLeft, top, kNameWidth, kNameHeight);
        auto *name = ReferencePanel::nameLabel(this, l.label, l.caption, at,
                                               [this, click = l.click] { (this->*click)(); });

        auto *marker = new pv::PictureBox(this);
        marker->setObjectName(QString::fromUtf8(l.marker));
        marker->setGeometry(ReferencePanel::twips(kMargin, top + (kNameHeight - kMarker) / 2, kMarker, kMarker));
        marker->setBackColor(Qt::cyan);

        const QString file = QStringLiteral(":/pictures/liquors/") + QString::fromUtf8(l.pictureFile);
        auto *picture = ReferencePanel::pictureBoxOwnSize(this, QString::fromUtf8(l.picture), file, pictureArea,
                                                          Qt::AlignHCenter | Qt::AlignBottom);

        auto *box = ReferencePanel::descriptionBox(this, l, textArea, l.caption);

        m_panel.addItem(name, {picture, box, marker});
        ++row;
    }
    m_panel.selectInitial(kLiquors);

    const QRect close = ReferencePanel::twips(kWidth - kMargin - kCloseWidth, kCloseTop, kCloseWidth, kCloseHeight);
    cmdClose = ReferencePanel::closeButton(this, close, [this] { cmdClose_Click(); });

    // Tab goes down the names (column by column), then to the description
    // that is shown (the hidden ones are skipped) and last to Close.
    QWidget::setTabOrder(m_panel.tabThroughDescriptions(m_panel.tabThroughSelectors()), cmdClose);
}

void frmLiquor::lblBourbon_Click() { m_panel.select(u"lblBourbon"); }
void frmLiquor::lblBrandy_Click() { m_panel.select(u"lblBrandy"); }
void frmLiquor::lblGin_Click() { m_panel.select(u"lblGin"); }
void frmLiquor::lblRum_Click() { m_panel.select(u"lblRum"); }
void frmLiquor::lblScotch_Click() { m_panel.select(u"lblScotch"); }
void frmLiquor::lblTequila_Click() { m_panel.select(u"lblTequila"); }
void frmLiquor::lblVodka_Click() { m_panel.select(u"lblVodka"); }
void frmLiquor::lblWhiskey_Click() { m_panel.select(u"lblWhiskey"); }
void frmLiquor::lblRedWine_Click() { m_panel.select(u"lblRedWine"); }
void frmLiquor::lblWhiteWine_Click() { m_panel.select(u"lblWhiteWine"); }

void frmLiquor::cmdClose_Click()
{
    pv::Screen().Unload(this);
}
