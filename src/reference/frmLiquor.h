#pragma once

#include "reference/ReferencePanel.h"
#include "ui/ScreenView.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

// "Liquors": a list of names with a marker beside the one shown, and that
// liquor's picture and description. Built from the liquors table in
// frmLiquor.cpp; every opening starts from Bourbon.
class frmLiquor : public QWidget, public pv::Form {
    Q_OBJECT
public:
    explicit frmLiquor(QWidget *parent = nullptr);
    QWidget *widget() override { return this; }

    const pv::ReferencePanel &panel() const { return m_panel; }

    QLabel *Label1 = nullptr;
    QPushButton *cmdClose = nullptr;

public slots:
    void lblBourbon_Click();
    void lblBrandy_Click();
    void lblGin_Click();
    void lblRum_Click();
    void lblScotch_Click();
    void lblTequila_Click();
    void lblVodka_Click();
    void lblWhiskey_Click();
    void lblRedWine_Click();
    void lblWhiteWine_Click();
    void cmdClose_Click();

private:
    pv::ReferencePanel m_panel;
};
