#pragma once

#include "ui/ScreenView.h"
#include "web/PageAdapter.h"

#include <QMainWindow>
#include <QString>
#include <QTimer>

#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QToolBar;

namespace pv::web {

// The sizes the resize layout gives, in twips; never negative, however small
// the window's inner area.
struct BrowserSizes {
    double addressWidth = 0;
    double pageWidth = 0;
    double pageHeight = 0;
};
BrowserSizes browserSizes(double innerWidth, double innerHeight, double stripBottom);

} // namespace pv::web

// A small web browser: toolbar, address box and page area. Each window is
// independent; the opener sets StartingAddress before showing it.
class frmBrowser : public QMainWindow, public pv::Form {
    Q_OBJECT
public:
    // Builds the page area inside the window's page host; the default makes
    // a real browser page.
    using PageFactory = std::function<pv::PageAdapter *(QWidget *host)>;

    explicit frmBrowser(const PageFactory &makePage = {}, QWidget *parent = nullptr);

    // Opens one more browser window on `startingAddress`, modeless.
    static frmBrowser *OpenNew(const QString &startingAddress);

    QWidget *widget() override { return this; }
    void Form_Load() override;

    // The address to open first; may be empty.
    QString StartingAddress;

    pv::PageAdapter *page() const { return m_page; }

public slots:
    void Form_Resize();
    void timTimer_Timer();
    void cboAddress_Click();
    void cboAddress_KeyPress(int &KeyAscii);
    void tbToolBar_ButtonClick(QAction *Button);
    void brwWebBrowser_DownloadComplete();
    void mnuExit_Click();
    // The address box shows the address of the page on screen; the shipped
    // start page shows none.
    void showLocation();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QToolBar *tbToolBar;
    QWidget *picAddress;
    QLabel *lblAddress;
    QComboBox *cboAddress;
    QWidget *brwWebBrowser;
    QTimer *timTimer;
    QMenu *mnuFile;
    QAction *mnuExit;
    pv::PageAdapter *m_page = nullptr;
};
