#include "card/frmRecipeCard.h"

#include "ui/CardDocument.h"
#include "data/DataError.h"
#include "data/RecordCursor.h"
#include "ui/DataControl.h"
#include "ui/DrinkHost.h"
#include "ui/DrinkNotesPanel.h"
#include "ui/FileChooser.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

using pv::Screen;

namespace {

const QString kSection = QStringLiteral("Settings");

} // namespace

frmRecipeCard::frmRecipeCard()
{
    setObjectName(QStringLiteral("frmRecipeCard"));
    setWindowFlag(Qt::Window);
    setWindowIcon(QIcon(QStringLiteral(":/icons/pourvale.svg")));
    setWindowTitle(tr("Recipe Card"));

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    card = new pv::RecipeCardView(this);
    column->addWidget(card, 1);
    notes = new pv::DrinkNotesPanel(this);
    column->addWidget(notes);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    // The card shows no categories; this sets them as Edit > Set Categories does.
    cmdCategories = new QPushButton(tr("Cate&gories..."), this);
    cmdCategories->setObjectName(QStringLiteral("cmdCategories"));
    cmdCategories->setAutoDefault(false);
    buttons->addWidget(cmdCategories);
    cmdSavePdf = new QPushButton(tr("Save as &PDF..."), this);
    cmdSavePdf->setObjectName(QStringLiteral("cmdSavePdf"));
    cmdSavePdf->setAutoDefault(false);
    cmdClose = new QPushButton(tr("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setAutoDefault(false);
    buttons->addWidget(cmdSavePdf);
    buttons->addWidget(cmdClose);
    column->addLayout(buttons);
    const int em = fontMetrics().height();
    resize(em * 34, em * 50);

    pv::onEvent(cmdSavePdf, &QPushButton::clicked, this, [this] { cmdSavePdf_Click(); });
    pv::onEvent(cmdCategories, &QPushButton::clicked, this, [this] { cmdCategories_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { Screen().Unload(this); });
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] { Screen().Unload(this); });
}

void frmRecipeCard::Form_Load()
{
    bool ok = false;
    const int w = Screen().GetSetting(Screen().App().Title, kSection, QStringLiteral("RecipeCardWidth")).toInt(&ok);
    const int h =
        ok ? Screen().GetSetting(Screen().App().Title, kSection, QStringLiteral("RecipeCardHeight")).toInt(&ok) : 0;
    if (ok && w >= 300 && h >= 300 && w <= 20000 && h <= 20000)
        resize(w, h);
}

void frmRecipeCard::Form_Unload(int &Cancel)
{
    (void)Cancel;
    pv::CardChoices::instance().flush();
    notes->flush();
    if (isMinimized() || isMaximized())
        return;
    Screen().SaveSetting(Screen().App().Title, kSection, QStringLiteral("RecipeCardWidth"), QString::number(width()));
    Screen().SaveSetting(Screen().App().Title, kSection, QStringLiteral("RecipeCardHeight"),
                         QString::number(height()));
}

void frmRecipeCard::open(pv::DrinkHost *host)
{
    auto *w = Screen().Load<frmRecipeCard>();
    if (w->host() != host) {
        w->m_host = host;
        w->m_hostWindow = host->hostWindow();
        connect(host->drinkData(), &pv::DataControl::Reposition, w, [w] {
            // After the main window has done its own work on the move.
            QTimer::singleShot(0, w, [w] { Screen().guard([w] { w->followDrink(); }); });
        });
    }
    w->followDrink();
    Screen().Show(w);
}

void frmRecipeCard::followDrink()
{
    pv::CardRecipe recipe;
    pv::DrinkHost *h = host();
    if (h && pv::currentCardRecipe(h->drinkData(), &recipe)) {
        card->setRecipe(recipe);
        notes->setDrink(h->drinkData()->DatabaseName(), h->currentDrink());
        setWindowTitle(tr("Recipe Card - %1").arg(recipe.name.trimmed().isEmpty() ? tr("(no name)") : recipe.name));
    } else {
        card->clear();
        notes->setDrink(QString(), -1);
        setWindowTitle(tr("Recipe Card"));
    }
    cmdSavePdf->setEnabled(card->hasRecipe());
    cmdCategories->setEnabled(card->hasRecipe());
}

void frmRecipeCard::changeEvent(QEvent *event)
{
    // Edits saved in the main window or another program show on coming back.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        followDrink();
    QWidget::changeEvent(event);
}

void frmRecipeCard::cmdCategories_Click()
{
    if (pv::DrinkHost *h = host())
        h->editCategories();
}

void frmRecipeCard::cmdSavePdf_Click()
{
    if (pv::DrinkHost *h = host())
        pv::saveRecipeCardAsPdf(h);
}

namespace pv {

bool currentCardRecipe(DataControl *drinks, CardRecipe *recipe)
{
    if (!drinks || !drinks->cursor() || !drinks->cursor()->hasCurrentRow())
        return false;
    qint64 key = -1;
    try {
        key = drinks->recordset().Bookmark();
    } catch (const DataError &) {
        return false;
    }
    return readCardRecipe(drinks->DatabaseName(), key, recipe);
}

void saveRecipeCardAsPdf(DrinkHost *host)
{
    CardRecipe recipe;
    if (!currentCardRecipe(host->drinkData(), &recipe)) {
        Screen().MsgBox(QStringLiteral("There is no drink to save: the list shown is empty."));
        return;
    }
    const CardOptions options = CardChoices::instance().options();
    const RecipeCard card = buildRecipeCard(recipe, options);
    const QString file = choosePdfFile(host->hostWindow(), QStringLiteral("Save Recipe Card as PDF"), recipe.name,
                                       QStringLiteral("Recipe Card"));
    if (file.isEmpty())
        return;
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = saveCardPdf(card, options, {}, file, &error);
    QApplication::restoreOverrideCursor();
    if (!ok)
        Screen().MsgBox(QStringLiteral("The recipe card could not be saved as a PDF.\n\n") + error);
}

} // namespace pv
