#include "web/frmBrowser.h"

#include "ui/ScreenView.h"
#include "ui/FitText.h"
#include "ui/Twips.h"
#include "web/WebConfig.h"
#include "web/WebEngineLoader.h"
#include "web/ui_frmBrowser.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

using pv::pxToTwips;
using pv::Screen;
using pv::twipsToPx;

namespace pv::web {

namespace {
constexpr double kMargin = 50;
constexpr double kAddressGap = 15;
} // namespace

BrowserSizes browserSizes(double innerWidth, double innerHeight, double stripBottom)
{
    // A minimised or very small window has less room than the margins take.
    BrowserSizes s;
    s.addressWidth = std::max(0.0, innerWidth - 2 * kMargin);
    s.pageWidth = std::max(0.0, innerWidth - 2 * kMargin);
    s.pageHeight = std::max(0.0, innerHeight - stripBottom - 2 * kMargin);
    return s;
}

} // namespace pv::web

namespace {

// The window's load, its toolbar and the Enter key carry on past a step that
// fails; the page area reports nothing worth stopping for there.
template <class Fn> void ignoreErrors(Fn &&step)
{
    try {
        step();
    } catch (...) {
    }
}

} // namespace

frmBrowser::frmBrowser(const PageFactory &makePage, QWidget *parent) : QMainWindow(parent), timTimer(new QTimer(this))
{
    Ui::frmBrowser designed;
    designed.setupUi(this);
    tbToolBar = designed.tbToolBar;
    picAddress = designed.picAddress;
    lblAddress = designed.lblAddress;
    // The address box is placed under the label's bottom, which stays put.
    pv::fitLabelHeight(lblAddress);
    cboAddress = designed.cboAddress;
    brwWebBrowser = designed.brwWebBrowser;
    mnuFile = designed.mnuFile;
    mnuExit = designed.mnuExit;
    timTimer->setObjectName(QStringLiteral("timTimer"));
    timTimer->setInterval(5);

    m_page = makePage ? makePage(brwWebBrowser) : pv::createWebEnginePage(brwWebBrowser);

    // The toolbar's buttons take no focus; their keys reach them from the
    // keyboard, and their tips name the keys.
    for (QAction *button : tbToolBar->actions())
        if (!button->shortcut().isEmpty())
            button->setToolTip(QStringLiteral("%1 (%2)").arg(button->toolTip(),
                                                             button->shortcut().toString(QKeySequence::NativeText)));
    brwWebBrowser->setAccessibleName(tr("Web page"));
    // The box's own line edit is what has the focus while typing.
    cboAddress->lineEdit()->setAccessibleName(tr("Address"));

    centralWidget()->installEventFilter(this);
    cboAddress->installEventFilter(this);
    cboAddress->lineEdit()->installEventFilter(this);

    pv::onEvent(timTimer, &QTimer::timeout, this, [this] { timTimer_Timer(); });
    pv::onEvent(cboAddress, &QComboBox::activated, this, [this] { cboAddress_Click(); });
    connect(tbToolBar, &QToolBar::actionTriggered, this,
            [this](QAction *button) { Screen().guard([&] { tbToolBar_ButtonClick(button); }); });
    pv::onEvent(m_page, &pv::PageAdapter::DownloadComplete, this, [this] { brwWebBrowser_DownloadComplete(); });
    connect(m_page, &pv::PageAdapter::LocationChanged, this, [this] { showLocation(); });
    cboAddress->lineEdit()->setPlaceholderText(tr("Type an address and press Enter"));
    pv::onEvent(mnuExit, &QAction::triggered, this, [this] { mnuExit_Click(); });
}

frmBrowser *frmBrowser::OpenNew(const QString &startingAddress)
{
    pv::loadWebEngine();
    auto *form = new frmBrowser();
    form->StartingAddress = startingAddress;
    Screen().Show(form);
    return form;
}

void frmBrowser::Form_Load()
{
    ignoreErrors([this] { Screen().Show(this); });
    ignoreErrors([this] { tbToolBar->repaint(); });
    ignoreErrors([this] { Form_Resize(); });
    ignoreErrors([this] {
        cboAddress->move(twipsToPx(pv::web::kMargin),
                         lblAddress->y() + lblAddress->height() + twipsToPx(pv::web::kAddressGap));
    });
    if (StartingAddress.isEmpty())
        return;
    ignoreErrors([this] {
        if (StartingAddress == pv::web::kStartPage)
            return;
        cboAddress->setEditText(StartingAddress);
        cboAddress->addItem(cboAddress->currentText());
    });
    ignoreErrors([this] { timTimer->start(); });
    ignoreErrors([this] { m_page->Navigate(StartingAddress); });
}

void frmBrowser::Form_Resize()
{
    const QSize inner = centralWidget()->size();
    // The strip is aligned to the top: it always spans the window.
    picAddress->resize(inner.width(), picAddress->height());
    const pv::web::BrowserSizes s = pv::web::browserSizes(pxToTwips(inner.width()), pxToTwips(inner.height()),
                                                          pxToTwips(picAddress->y() + picAddress->height()));
    cboAddress->resize(twipsToPx(s.addressWidth), cboAddress->height());
    brwWebBrowser->resize(twipsToPx(s.pageWidth), twipsToPx(s.pageHeight));
}

void frmBrowser::timTimer_Timer()
{
    if (m_page->Busy()) {
        setWindowTitle(QStringLiteral("Working..."));
    } else {
        timTimer->stop();
        setWindowTitle(pv::titleText(m_page->LocationName()));
    }
}

void frmBrowser::cboAddress_Click()
{
    timTimer->start();
    try {
        m_page->Navigate(cboAddress->currentText());
    } catch (const pv::ScreenError &e) {
        Screen().MsgBox(e.description());
    }
}

void frmBrowser::cboAddress_KeyPress(int &KeyAscii)
{
    if (KeyAscii == 13)
        ignoreErrors([this] { cboAddress_Click(); });
}

void frmBrowser::tbToolBar_ButtonClick(QAction *Button)
{
    const QString key = Button->property("Key").toString();
    ignoreErrors([this] { timTimer->start(); });
    if (key == QLatin1String("Back")) {
        ignoreErrors([this] { m_page->GoBack(); });
    } else if (key == QLatin1String("Forward")) {
        ignoreErrors([this] { m_page->GoForward(); });
    } else if (key == QLatin1String("Refresh")) {
        ignoreErrors([this] { m_page->Refresh(); });
    } else if (key == QLatin1String("Home")) {
        ignoreErrors([this] { m_page->GoHome(); });
    } else if (key == QLatin1String("Search")) {
        ignoreErrors([this] { m_page->GoSearch(); });
    } else if (key == QLatin1String("Stop")) {
        ignoreErrors([this] { timTimer->stop(); });
        ignoreErrors([this] { m_page->Stop(); });
        ignoreErrors([this] { setWindowTitle(pv::titleText(m_page->LocationName())); });
    }
}

void frmBrowser::brwWebBrowser_DownloadComplete()
{
    ignoreErrors([this] { setWindowTitle(pv::titleText(m_page->LocationName())); });
    showLocation();
}

void frmBrowser::showLocation()
{
    const QString url = m_page->LocationURL();
    if (url.isEmpty())
        return; // nothing on screen yet
    const QString shown = url == pv::web::kStartPage ? QString() : url;
    if (cboAddress->currentText() != shown)
        cboAddress->setEditText(shown);
}

void frmBrowser::mnuExit_Click()
{
    Screen().Unload(this);
}

bool frmBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize) {
        ignoreErrors([this] { Form_Resize(); });
    } else if ((watched == cboAddress || watched == cboAddress->lineEdit()) && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            int KeyAscii = 13;
            cboAddress_KeyPress(KeyAscii);
            // The box must not act on Enter as well: its completer could
            // pick a list entry and open a second page.
            return true;
        }
    } else if ((watched == cboAddress || watched == cboAddress->lineEdit())
               && event->type() == QEvent::ShortcutOverride) {
        // The toolbar's keys come before the box's own editing keys (Ctrl+E
        // would move to the end of the line), as in other browsers.
        const QKeySequence pressed(static_cast<QKeyEvent *>(event)->keyCombination());
        for (const QAction *button : tbToolBar->actions())
            if (!button->shortcut().isEmpty() && button->shortcut() == pressed)
                return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
