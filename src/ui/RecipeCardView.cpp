#include "ui/RecipeCardView.h"

#include "ui/CardDocument.h"
#include "ui/ScreenView.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QSettings>
#include <QSpinBox>
#include <QSvgRenderer>
#include <QSvgWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace pv {

namespace {

const char kGroup[] = "RecipeCard";


} // namespace

CardChoices &CardChoices::instance()
{
    static CardChoices *choices = [] {
        auto *c = new CardChoices;
        c->load();
        return c;
    }();
    return *choices;
}

CardOptions CardChoices::options() const
{
    CardOptions o;
    o.units = units;
    o.servings = servings;
    const QList<BatchContainer> containers = batchContainers();
    if (batch > 0 && batch <= containers.size())
        o.batchMl = containers[batch - 1].ml;
    else if (batch == containers.size() + 1)
        o.batchMl = batchMl;
    o.partMl = partMl;
    const QList<DrinkStandard> standards = drinkStandards();
    o.standard = standard > 0 && standard <= standards.size() ? standards[standard - 1]
                                                               : standardForLocale(QLocale::system());
    return o;
}

QSettings *CardChoices::store()
{
    // One store kept open: writing it costs nothing until it is synced.
    if (!m_store) {
        const QString app = Screen().App().Title;
        m_store = new QSettings(app, app, this);
        connect(qApp, &QCoreApplication::aboutToQuit, this, &CardChoices::flush);
    }
    return m_store;
}

void CardChoices::flush()
{
    if (m_store)
        m_store->sync();
}

void CardChoices::load()
{
    QSettings &s = *store();
    s.sync();
    s.beginGroup(QLatin1String(kGroup));
    // What a stranger's settings file says is taken only within range.
    UnitChoice u = UnitChoice::AsWritten;
    if (unitChoiceFromName(s.value(QStringLiteral("Units")).toString(), &u))
        units = u;
    auto number = [&](const char *key, double low, double high, double fallback) {
        bool ok = false;
        const double v = s.value(QLatin1String(key)).toString().toDouble(&ok);
        return ok && v >= low && v <= high ? v : fallback;
    };
    servings = int(number("Servings", 1, kMostServings, 1));
    batch = int(number("Batch", 0, batchContainers().size() + 1, 0));
    batchMl = number("BatchMl", kLeastBatchMl, kMostBatchMl, 1500);
    partMl = number("PartMl", 5, 250, 30);
    standard = int(number("Standard", 0, drinkStandards().size(), 0));
    s.endGroup();
}

void CardChoices::save()
{
    QSettings &s = *store();
    s.beginGroup(QLatin1String(kGroup));
    s.setValue(QStringLiteral("Units"), unitChoiceName(units));
    s.setValue(QStringLiteral("Servings"), QString::number(servings));
    s.setValue(QStringLiteral("Batch"), QString::number(batch));
    s.setValue(QStringLiteral("BatchMl"), QString::number(batchMl));
    s.setValue(QStringLiteral("PartMl"), QString::number(partMl));
    s.setValue(QStringLiteral("Standard"), QString::number(standard));
    s.endGroup();
    Q_EMIT changed();
}

RecipeCardView::RecipeCardView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("RecipeCardView"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);

    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    cboUnits = new QComboBox(this);
    cboUnits->setObjectName(QStringLiteral("cboUnits"));
    cboUnits->addItems({QStringLiteral("as written"), QStringLiteral("oz"), QStringLiteral("ml"), QStringLiteral("cl")});
    form->addRow(QStringLiteral("Show amounts &in:"), cboUnits);

    spnServings = new QSpinBox(this);
    spnServings->setObjectName(QStringLiteral("spnServings"));
    spnServings->setRange(1, kMostServings);
    form->addRow(QStringLiteral("&Servings:"), spnServings);

    auto *batchRow = new QHBoxLayout;
    cboBatch = new QComboBox(this);
    cboBatch->setObjectName(QStringLiteral("cboBatch"));
    cboBatch->addItem(QStringLiteral("No batch"));
    for (const BatchContainer &c : batchContainers())
        cboBatch->addItem(c.name);
    cboBatch->addItem(QStringLiteral("Other volume"));
    spnBatchMl = new QSpinBox(this);
    spnBatchMl->setObjectName(QStringLiteral("spnBatchMl"));
    spnBatchMl->setRange(int(kLeastBatchMl), int(kMostBatchMl));
    spnBatchMl->setSingleStep(50);
    spnBatchMl->setSuffix(QStringLiteral(" ml"));
    spnBatchMl->setAccessibleName(QStringLiteral("Batch volume"));
    batchRow->addWidget(cboBatch);
    batchRow->addWidget(spnBatchMl);
    batchRow->addStretch();
    auto *lblBatch = new QLabel(QStringLiteral("&Batch for:"), this);
    lblBatch->setBuddy(cboBatch);
    form->addRow(lblBatch, batchRow);

    spnPartMl = new QSpinBox(this);
    spnPartMl->setObjectName(QStringLiteral("spnPartMl"));
    spnPartMl->setRange(5, 250);
    spnPartMl->setSingleStep(5);
    spnPartMl->setSuffix(QStringLiteral(" ml"));
    lblPartMl = new QLabel(QStringLiteral("One &part is:"), this);
    lblPartMl->setBuddy(spnPartMl);
    form->addRow(lblPartMl, spnPartMl);

    cboStandard = new QComboBox(this);
    cboStandard->setObjectName(QStringLiteral("cboStandard"));
    const DrinkStandard local = standardForLocale(QLocale::system());
    cboStandard->addItem(QStringLiteral("Where I live (%1 g)").arg(QString::number(local.grams, 'g', 4)));
    for (const DrinkStandard &d : drinkStandards())
        cboStandard->addItem(QStringLiteral("%1 (%2 g)").arg(d.name, QString::number(d.grams, 'g', 4)));
    form->addRow(QStringLiteral("Standard &drink:"), cboStandard);
    outer->addLayout(form);

    auto *body = new QHBoxLayout;
    txtCard = new QTextBrowser(this);
    txtCard->setObjectName(QStringLiteral("txtCard"));
    txtCard->setOpenLinks(false);
    txtCard->setMinimumWidth(260);
    body->addWidget(txtCard, 1);
    auto *glassColumn = new QVBoxLayout;
    picGlass = new QSvgWidget(this);
    picGlass->setObjectName(QStringLiteral("picGlass"));
    const int em = fontMetrics().height();
    picGlass->setFixedSize(em * 6, em * 9);
    lblGlass = new QLabel(this);
    lblGlass->setObjectName(QStringLiteral("lblGlass"));
    lblGlass->setAlignment(Qt::AlignHCenter);
    lblGlass->setTextFormat(Qt::PlainText);
    lblGlass->setWordWrap(true);
    lblGlass->setMaximumWidth(em * 6);
    glassColumn->addWidget(picGlass);
    glassColumn->addWidget(lblGlass);
    glassColumn->addStretch();
    body->addLayout(glassColumn);
    outer->addLayout(body, 1);

    showChoices();
    auto changed = [this] {
        if (!m_updating)
            takeChoices();
    };
    connect(cboUnits, &QComboBox::currentIndexChanged, this, changed);
    connect(spnServings, &QSpinBox::valueChanged, this, changed);
    connect(cboBatch, &QComboBox::currentIndexChanged, this, changed);
    connect(spnBatchMl, &QSpinBox::valueChanged, this, changed);
    connect(spnPartMl, &QSpinBox::valueChanged, this, changed);
    connect(cboStandard, &QComboBox::currentIndexChanged, this, changed);
    connect(&CardChoices::instance(), &CardChoices::changed, this, [this] {
        showChoices();
        render();
    });
    clear();
}

void RecipeCardView::takeChoices()
{
    CardChoices &c = CardChoices::instance();
    c.units = UnitChoice(cboUnits->currentIndex());
    c.servings = spnServings->value();
    c.batch = cboBatch->currentIndex();
    c.batchMl = spnBatchMl->value();
    c.partMl = spnPartMl->value();
    c.standard = cboStandard->currentIndex();
    c.save(); // every card, this one too, shows the change
}

void RecipeCardView::showChoices()
{
    const CardChoices &c = CardChoices::instance();
    m_updating = true;
    cboUnits->setCurrentIndex(int(c.units));
    spnServings->setValue(c.servings);
    cboBatch->setCurrentIndex(c.batch);
    spnBatchMl->setValue(int(c.batchMl));
    spnPartMl->setValue(int(c.partMl));
    cboStandard->setCurrentIndex(c.standard);
    // Batching decides the number of glasses; a typed volume only for "Other".
    spnServings->setEnabled(c.batch == 0);
    spnBatchMl->setEnabled(c.batch == cboBatch->count() - 1);
    m_updating = false;
}

void RecipeCardView::setRecipe(const CardRecipe &recipe)
{
    m_recipe = recipe;
    m_hasRecipe = true;
    render();
}

void RecipeCardView::clear()
{
    m_hasRecipe = false;
    m_recipe = CardRecipe{};
    m_card = RecipeCard{};
    txtCard->setPlainText(QStringLiteral("No drink is shown."));
    picGlass->load(QByteArray());
    // The picture is loaded again when the same glass comes back.
    m_picture.clear();
    picGlass->setVisible(false);
    lblGlass->clear();
    lblPartMl->setVisible(false);
    spnPartMl->setVisible(false);
}

void RecipeCardView::render()
{
    if (!m_hasRecipe)
        return;
    const CardOptions o = options();
    m_card = buildRecipeCard(m_recipe, o);
    lblPartMl->setVisible(m_card.usesParts);
    spnPartMl->setVisible(m_card.usesParts);
    const QString picture = glassPicturePath(m_recipe.glass);
    if (picture != m_picture) {
        m_picture = picture;
        if (picture.isEmpty())
            picGlass->load(QByteArray());
        else
            picGlass->load(picture);
        picGlass->renderer()->setAspectRatioMode(Qt::KeepAspectRatio);
    }
    picGlass->setVisible(!picture.isEmpty());
    // A glass is named in a few words; a longer text from a file is cut.
    const QString glass = m_recipe.glass.trimmed();
    lblGlass->setText(glass.size() > 100 ? glass.left(100) + QChar(0x2026) : glass);
    txtCard->setHtml(cardHtml(m_card, o));
}

} // namespace pv
