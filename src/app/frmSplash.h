#pragma once

#include "ui/ScreenView.h"

#include <QWidget>

#include <functional>

class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;

namespace pv
{
class SvgPicture;
}

// The start-up window: the program opens here and the user leaves it with
// "Start" for the main window.
class frmSplash : public QWidget, public pv::Form
{
    Q_OBJECT

public:
    explicit frmSplash(QWidget *parent = nullptr);

    QWidget *widget() override { return this; }
    void Form_Load() override;
    void Form_Unload(int &Cancel) override;

    // What "Start" opens once this window is gone; the program sets it. The
    // start-up window is the program's only window until then, so the
    // program must not end with this window's unload before the hook has
    // run; closing the window any other way ends the program.
    static std::function<void()> openMainWindow;

    static inline const QString kReminder = QStringLiteral("Well, let's go! I don't have all day!");

    QGroupBox *fraMainFrame;
    QGroupBox *Frame1;
    QPushButton *cmdStart;
    pv::SvgPicture *Picture3;
    pv::SvgPicture *Picture1;
    pv::SvgPicture *picLogo;
    QLabel *lblProductName;
    QLabel *lblVersion;
    QLabel *lblPlatform;
    QLabel *Label1;
    QLabel *lblThankYou;
    QTimer *Timer1;

public slots:
    void cmdStart_Click();
    void Timer1_Timer();

private:
    bool m_starting = false;
};
