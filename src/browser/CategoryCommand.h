#pragma once

#include <QDialog>
#include <QStringList>

#include <array>

class QComboBox;
class QLineEdit;
class frmMain;

namespace pv {

// Asks for a drink's three categories: each one of the sixteen of the
// Queries menu, any other text, or none.
class CategoryDialog : public QDialog {
    Q_OBJECT
public:
    CategoryDialog(const QString &drinkName, const QStringList &current, QWidget *parent = nullptr);
    QStringList categories() const;

    std::array<QComboBox *, 3> cboCategory{};
};

// Edit > "Set Categories..." in the main window (the Edit menu is made
// after File when it is not there yet), with three boxes, never shown,
// bound to the category columns, so that categories set by the command are
// saved as any edit is: when the drink is left, or by Update.
void addCategoryCommand(frmMain *main);

// Edit > "Set Categories...": the dialog for the drink on screen.
void setCategoriesOfCurrentDrink(frmMain *main);

} // namespace pv
