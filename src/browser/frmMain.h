#pragma once

#include "ui/DataControl.h"
#include "ui/DrinkHost.h"
#include "ui/ScreenView.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QSvgWidget>
#include <QTimer>
#include <QToolBar>

#include <vector>

// The main window: one recipe at a time, and the door to every other window.
class frmMain : public QMainWindow, public pv::Form, public pv::DrinkHost {
    Q_OBJECT
public:
    frmMain();
    ~frmMain() override;

    QWidget *widget() override { return this; }
    void Form_Load() override;
    void Form_Unload(int &Cancel) override;

    // Placement in twips, as stored in the settings.
    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    int WindowState() const;

    // Text of txtFields(index) (0..21).
    QString fieldText(int index) const;

    QWidget *hostWindow() override { return this; }
    pv::DataControl *drinkData() const override { return Data1; }
    bool showDrink(qint64 key) override;
    void confineToDrinks(const QVector<qint64> &keys, const QString &title = QString()) override;
    QString listTitle() const override { return m_listTitle; }
    void editCategories() override;
    qint64 currentDrink() const override;
    QString glassPicture() const override;
    const QWidget *measureBox() const override { return Picture1; }

    // Controls, by their designed names.
    pv::DataControl *Data1 = nullptr;
    std::vector<QWidget *> txtFields; // 0..20 QLineEdit, 21 QPlainTextEdit
    QLineEdit *txtGlassname = nullptr;
    std::vector<QLabel *> lblLabels;  // indexes 0, 1, 2, 4 and 21 are used
    QPushButton *cmdBegofFile = nullptr;
    QPushButton *cmdPrevious = nullptr;
    QPushButton *cmdNext = nullptr;
    QPushButton *cmdEndofList = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdRefresh = nullptr;
    QPushButton *cmdUpdate = nullptr;
    QPushButton *cmdSearch = nullptr;
    QLineEdit *txtSearchString = nullptr;
    QPushButton *cmdFindNext = nullptr;
    std::vector<QSvgWidget *> glassPictures; // in the order names are tested
    QWidget *Picture1 = nullptr;
    QToolBar *tbToolBar = nullptr;
    QStatusBar *sbStatusBar = nullptr;

    QAction *mnuFilePrint = nullptr;
    QAction *mnuFileExit = nullptr;
    QAction *mnuViewToolbar = nullptr;
    QAction *mnuViewStatusBar = nullptr;

public Q_SLOTS:
    // Window-opening commands.
    void mnuUtensils_Click();
    void mnuGlasses_Click();
    void mnuStockLiquor_Click();
    void mnuPickuplines_Click();
    void mnuToasting_Click();
    void mnuJokes_Click();
    void mnuDice_Click();
    void mnuCards_Click();
    void mnuCoins_Click();
    void mnuBoardGames_Click();
    void mnuMedia_Click();
    void mnuSpeech_Click();
    void mnuViewBrowser_Click();
    void mnuHelpAbout_Click();
    void mnuHelpContents_Click();
    void mnuHelpSearch_Click();
    void mnuFilePrint_Click();

    void mnuViewToolbar_Click();
    void mnuViewStatusBar_Click();
    void mnuFileExit_Click();
    void tbToolBar_ButtonClick(QAction *Button);

    // Records.
    void cmdBegofFile_Click();
    void cmdPrevious_Click();
    void cmdNext_Click();
    void cmdEndofList_Click();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();
    void cmdUpdate_Click();
    void Data1_Reposition();
    void Data1_Validate(int &Action, int &Save);

    // Search.
    void cmdSearch_Click();
    void cmdFindNext_Click();

    // Categories.
    void mnuViewAll_Click();
    void mnuAperitifs_Click();
    void mnuBeer_Click();
    void mnuBourbon_Click();
    void mnuBrandy_Click();
    void mnuCordials_Click();
    void mnuGin_Click();
    void mnuHot_Click();
    void mnuNonAlcoholic_Click();
    void mnuPunch_Click();
    void mnuRum_Click();
    void mnuScotch_Click();
    void mnuTequila_Click();
    void mnuTropical_Click();
    void mnuVodka_Click();
    void mnuWhiskey_Click();
    void mnuWine_Click();

    // Glass picture.
    void txtGlassname_Change();

    void mnuMyBar_Click();
    void mnuCanMake_Click();

private:
    void bringCatalogueUpToDate(const QString &bundled, const QString &catalogue);
    // No placement stored yet: the window opens at its designed size.
    bool firstStart() const;
    QSize designedSize() const;
    void loadCatalogue();
    void buildForm();
    void buildMenus();
    // The commands beyond the designed window, put into its menus, and the
    // keys and Tab order of its controls.
    void addCommands();
    void addKeys();
    // Whole texts in tooltips, and the glass names offered while typing.
    void addTypingAids(const QStringList &glassNames);
    void buildToolBar();
    void buildStatusBar();
    void confineTo(const QString &recordSource);
    QString searchCriterion() const;
    // Runs a button's handler; the data control's refusal of typing made
    // where no drink is current is told in this window's words.
    void press(void (frmMain::*handler)());
    // A search message: the search box gets the focus back first.
    void tellSearch(const QString &message);
    // Moves to the first or last drink, or says that there are none.
    void moveToEnd(bool first);

    QString m_listTitle;
    QString m_titledSource; // the row source m_listTitle names

    QLabel *m_date = nullptr;
    QLabel *m_time = nullptr;
    QTimer m_clock;
};
