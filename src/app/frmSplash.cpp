#include "app/frmSplash.h"

#include "ui_frmSplash.h"

#include <QCoreApplication>
#include <QTimer>

std::function<void()> frmSplash::openMainWindow;

frmSplash::frmSplash(QWidget *parent) : QWidget(parent)
{
    Ui::frmSplash ui;
    ui.setupUi(this);
    fraMainFrame = ui.fraMainFrame;
    Frame1 = ui.Frame1;
    cmdStart = ui.cmdStart;
    Picture3 = ui.Picture3;
    Picture1 = ui.Picture1;
    picLogo = ui.picLogo;
    lblProductName = ui.lblProductName;
    lblVersion = ui.lblVersion;
    lblPlatform = ui.lblPlatform;
    Label1 = ui.Label1;
    lblThankYou = ui.lblThankYou;

    // "Start" is the window's one command: Enter presses it as well as Space.
    cmdStart->setAutoDefault(true);
    cmdStart->setFocus();

    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    setFixedSize(size());

    // Designer stores whole points only.
    QFont platform(QStringLiteral("Arial"));
    platform.setPointSizeF(15.75);
    platform.setBold(true);
    lblPlatform->setFont(platform);
    Label1->setFont(platform);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(30000);
    Timer1->start();

    pv::onEvent(cmdStart, &QPushButton::clicked, this, [this] { cmdStart_Click(); });
    pv::onEvent(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
}

void frmSplash::Form_Load()
{
    lblThankYou->setText(QStringLiteral("Thank You For Using Pourvale."));
}

void frmSplash::Form_Unload(int &)
{
    // The window is only deleted later; its reminder must end now.
    Timer1->stop();
    // Closed other than by "Start": no window is left and the program ends,
    // once this window is out of the way.
    if (!m_starting)
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void frmSplash::cmdStart_Click()
{
    m_starting = true;
    pv::Screen().Unload(this);
    if (openMainWindow)
        openMainWindow();
}

void frmSplash::Timer1_Timer()
{
    // The reminder is modal; a tick that falls while it is still up is not
    // delivered (a timer's event never runs inside its own handler), so no
    // second reminder piles onto the first.
    pv::Screen().MsgBox(kReminder);
}
