#include "browser/CategoryCommand.h"

#include "browser/frmMain.h"
#include "data/Catalogue.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace pv {

namespace {

// The columns as the catalogue spells them.
const char *const kColumns[3] = {"Category1", "Catagory2", "Category3"};

QLineEdit *categoryBox(frmMain *main, int i)
{
    return main->findChild<QLineEdit *>(QStringLiteral("txtCategory(%1)").arg(i + 1));
}

} // namespace

CategoryDialog::CategoryDialog(const QString &drinkName, const QStringList &current, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCategories"));
    const QString name = drinkName.simplified();
    setWindowTitle(name.isEmpty() ? tr("Categories") : tr("Categories of %1").arg(name.left(60)));
    auto *column = new QVBoxLayout(this);
    auto *about = new QLabel(tr("A drink is listed under each of its categories in the Queries menu. "
                                "Choose up to three, or type your own."),
                             this);
    about->setWordWrap(true);
    column->addWidget(about);

    QStringList choices{QString()};
    for (const Category &c : pv::categories())
        choices << QLatin1String(c.label);
    auto *form = new QFormLayout;
    for (int i = 0; i < 3; ++i) {
        auto *box = new QComboBox(this);
        box->setObjectName(QStringLiteral("cboCategory(%1)").arg(i + 1));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->addItems(choices);
        box->lineEdit()->setMaxLength(50);
        box->setCurrentText(current.value(i));
        box->setAccessibleName(tr("Category %1").arg(i + 1));
        box->setMinimumContentsLength(16);
        cboCategory[size_t(i)] = box;
        auto *label = new QLabel(tr("Category &%1:").arg(i + 1), this);
        label->setBuddy(box);
        form->addRow(label, box);
    }
    column->addLayout(form);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    cboCategory[0]->setFocus();
    // Wide enough for its caption and a category of one's own.
    const int wanted = std::max(fontMetrics().horizontalAdvance(windowTitle()) + 120,
                                fontMetrics().horizontalAdvance(QLatin1Char('M')) * 40);
    resize(std::max(sizeHint().width(), wanted), sizeHint().height());
}

QStringList CategoryDialog::categories() const
{
    QStringList out;
    for (QComboBox *box : cboCategory)
        out << box->currentText().trimmed();
    return out;
}

void addCategoryCommand(frmMain *main)
{
    QMenuBar *bar = main->menuBar();
    auto *edit = bar->findChild<QMenu *>(QStringLiteral("mnuEdit"));
    if (!edit) {
        edit = new QMenu(QStringLiteral("&Edit"), bar);
        edit->setObjectName(QStringLiteral("mnuEdit"));
        auto *file = bar->findChild<QMenu *>(QStringLiteral("mnuFile"));
        const QList<QAction *> top = bar->actions();
        const qsizetype at = file ? top.indexOf(file->menuAction()) : -1;
        bar->insertMenu(at >= 0 && at + 1 < top.size() ? top.at(at + 1) : nullptr, edit);
    }
    if (!edit->isEmpty())
        edit->addSeparator()->setObjectName(QStringLiteral("mnuEditBarCategories"));
    QAction *command = edit->addAction(QObject::tr("Set &Categories..."));
    command->setObjectName(QStringLiteral("mnuEditCategories"));
    onEvent(command, &QAction::triggered, main, [main] { setCategoriesOfCurrentDrink(main); });

    for (int i = 0; i < 3; ++i) {
        auto *box = new QLineEdit(main);
        box->setObjectName(QStringLiteral("txtCategory(%1)").arg(i + 1));
        box->setAccessibleName(QObject::tr("Category %1").arg(i + 1));
        box->hide();
        box->setFocusPolicy(Qt::NoFocus);
        main->Data1->bind(box, QLatin1String(kColumns[i]));
    }
}

void setCategoriesOfCurrentDrink(frmMain *main)
{
    const RecordCursor *cursor = main->Data1->cursor();
    if (!cursor || !cursor->hasCurrentRow()) {
        Screen().MsgBox(QObject::tr("There is no drink on the screen to give categories to. Move to a drink, or "
                                    "press Add to start a new one."));
        return;
    }
    QStringList current;
    for (int i = 0; i < 3; ++i)
        current << (categoryBox(main, i) ? categoryBox(main, i)->text() : QString());
    CategoryDialog ask(main->fieldText(0), current, main);
    if (ask.exec() != QDialog::Accepted)
        return;
    const QStringList chosen = ask.categories();
    for (int i = 0; i < 3; ++i)
        if (QLineEdit *box = categoryBox(main, i); box && box->text() != chosen.value(i))
            box->setText(chosen.value(i));
}

} // namespace pv
