#pragma once

#include "reference/ReferencePanel.h"
#include "ui/ScreenView.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

// "Bartender Utensils": a list of names; clicking one shows that utensil's
// picture and description. Built from the utensils table in
// frmUtensils.cpp; every opening starts from the Corkscrew.
class frmUtensils : public QWidget, public pv::Form {
    Q_OBJECT
public:
    explicit frmUtensils(QWidget *parent = nullptr);
    QWidget *widget() override { return this; }

    const pv::ReferencePanel &panel() const { return m_panel; }

    QLabel *Label1 = nullptr;
    QPushButton *cmdClose = nullptr;

public slots:
    void lblCanOpener_Click();
    void lblBottleOpener_Click();
    void lblCorkscrew_Click();
    void lblWaitersCorkscrew_Click();
    void lblCoilrimmedStrainer_Click();
    void lblShaker_Click();
    void lblStirringSpoon_Click();
    void lblElectricBlender_Click();
    void lblLargeWoodenSpoon_Click();
    void lblCorrectGlasses_Click();
    void lblSharpKnife_Click();
    void lblCuttingBoard_Click();
    void lbl1GallonPitcher_Click();
    void lblJuicer_Click();
    void lblMeasuringCup_Click();
    void lblMeasuringSpoons_Click();
    void lblJigger_Click();
    void lblIceBucket_Click();
    void lblIceTongs_Click();
    void cmdClose_Click();

private:
    pv::ReferencePanel m_panel;
};
