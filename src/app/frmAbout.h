#pragma once

#include "ui/ScreenView.h"

#include <QDialog>

#include <vector>

class QFrame;
class QLabel;
class QPushButton;

namespace pv
{
class SvgPicture;
}

// The About box: name, version and notice, and a way to the system's
// system-information tool. Shown modal over the main window.
class frmAbout : public QDialog, public pv::Form
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

    QWidget *widget() override { return this; }
    void Form_Load() override;

    pv::SvgPicture *Picture1;
    pv::SvgPicture *picIcon;
    QLabel *lblProductName;
    QLabel *lblVersion;
    // The two-tone separator: grey above, white below.
    std::vector<QFrame *> Line1;
    QLabel *lblDisclaimer;
    QPushButton *cmdOK;
    QPushButton *cmdSysInfo;

public slots:
    void cmdOK_Click();
    void cmdSysInfo_Click();

    // Enter and Esc both close the box the way OK does.
    void accept() override;
    void reject() override;
};
