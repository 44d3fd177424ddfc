#pragma once

#include "reference/ReferencePanel.h"
#include "ui/ScreenView.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

// "Glasses": one button per kind of glass, and the chosen glass's picture,
// name and description. Built from the glasses table in frmGlasses.cpp;
// every opening starts from the Brandy Snifter.
class frmGlasses : public QWidget, public pv::Form {
    Q_OBJECT
public:
    explicit frmGlasses(QWidget *parent = nullptr);
    QWidget *widget() override { return this; }

    const pv::ReferencePanel &panel() const { return m_panel; }

    QLabel *Label1 = nullptr;
    QPushButton *cmdClose = nullptr;

public slots:
    void cmdBeerMug_Click();
    void cmdBrandySnifter_Click();
    void cmdBeerPilsner_Click();
    void cmdChampagneFlute_Click();
    void cmdCocktail_Click();
    void cmdCoffeeMug_Click();
    void cmdCollins_Click();
    void cmdgoblet_Click();
    void cmdHighball_Click();
    void cmdIrishCoffee_Click();
    void cmdOldFashioned_Click();
    void cmdParfait_Click();
    void cmdPony_Click();
    void cmePousseCafe_Click();
    void cmdPunchCup_Click();
    void cmdRedWine_Click();
    void cmdSherry_Click();
    void cmdShotGlass_Click();
    void cmdWhiskeySour_Click();
    void cmdWhiteWine_Click();
    void cmdClose_Click();

private:
    pv::ReferencePanel m_panel;
};
