#include "app/frmAbout.h"

#include "app/SysInfo.h"

#include "ui/FitText.h"

#include "ui_frmAbout.h"

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    Ui::frmAbout ui;
    ui.setupUi(this);
    // In a larger font the notice takes more lines; the box grows below
    // the buttons and the window with it, so no line is cut off.
    resize(width(), height() + pv::fitWrappedHeight(ui.lblDisclaimer));
    setFixedSize(size());
    Picture1 = ui.Picture1;
    picIcon = ui.picIcon;
    lblProductName = ui.lblProductName;
    lblVersion = ui.lblVersion;
    Line1 = {ui.Line1_0, ui.Line1_1};
    lblDisclaimer = ui.lblDisclaimer;
    cmdOK = ui.cmdOK;
    cmdSysInfo = ui.cmdSysInfo;
    for (std::size_t i = 0; i < Line1.size(); ++i)
        Line1[i]->setObjectName(QStringLiteral("Line1(%1)").arg(i));

    pv::onEvent(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    pv::onEvent(cmdSysInfo, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });
}

void frmAbout::Form_Load()
{
    const pv::AppInfo &app = pv::Screen().App();
    lblVersion->setText(QStringLiteral("Version %1.%2.%3").arg(app.Major).arg(app.Minor).arg(app.Revision));
}

void frmAbout::cmdOK_Click()
{
    pv::Screen().Unload(this);
}

void frmAbout::cmdSysInfo_Click()
{
    pv::StartSysInfo();
}

void frmAbout::accept()
{
    cmdOK_Click();
}

void frmAbout::reject()
{
    cmdOK_Click();
}
