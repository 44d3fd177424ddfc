#include "web/WebEnginePageAdapter.h"

#include "web/WebAddress.h"

#include "ui/ScreenView.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace pv {

namespace {
// Long enough for a busy machine to start a load, short enough that a request
// the engine never starts does not leave the caption at "Working...".
constexpr int kStartGraceMs = 3000;

bool handledHere(const QString &scheme)
{
    static const QStringList own = {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("file"),
                                    QStringLiteral("about"), QStringLiteral("data"),  QStringLiteral("blob"),
                                    QStringLiteral("qrc"),   QStringLiteral("chrome-error")};
    return own.contains(scheme);
}

// The name of the program the desktop opens `scheme` addresses with, or an
// empty text when none is set up or it cannot be told in time.
QString handlerName(const QString &scheme)
{
    QStringList folders;
    for (const QString &dir : qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(dir))
            folders << dir;
    const QString tool = folders.isEmpty() ? QString()
                                           : QStandardPaths::findExecutable(QStringLiteral("xdg-mime"), folders);
    if (tool.isEmpty())
        return QString();
    QProcess p;
    p.start(tool, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/") + scheme});
    if (!p.waitForFinished(2000)) {
        p.kill();
        p.waitForFinished(500);
        return QString();
    }
    const QString entry = QString::fromLocal8Bit(p.readAllStandardOutput().left(512)).trimmed();
    if (entry.isEmpty() || entry.contains(QLatin1Char('/')))
        return QString();
    const QString file = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entry);
    QFile f(file);
    if (!file.isEmpty() && f.open(QIODevice::ReadOnly))
        for (int i = 0; i < 200 && !f.atEnd(); ++i) {
            const QString line = QString::fromUtf8(f.readLine(1024)).trimmed();
            if (line.startsWith(QLatin1String("Name=")))
                return line.mid(5).left(100);
        }
    return entry.left(100);
}

// A page never hands an address to another program by itself: an address
// the window cannot show is refused, and offered to the user with the
// program and the address named, "No" by default.
class GuardedPage : public QWebEnginePage {
public:
    explicit GuardedPage(QObject *parent) : QWebEnginePage(parent)
    {
        // The engine asks acceptNavigationRequest() about an unknown scheme
        // only when its policy would let it through, and hands the address
        // on only when that answers yes, which it never does here.
        settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::AllowAllUnknownUrlSchemes);
        connect(this, &QWebEnginePage::loadStarted, this, [this] {
            m_dialogsOff = false;
            m_quickDialogs = 0;
        });
    }

protected:
    // The page's own dialogs show its text as plain text, titled with where
    // it comes from. A page that asks again and again (an alert in a loop
    // would hold the window) is not asked for until another page loads.
    void javaScriptAlert(const QUrl &origin, const QString &msg) override
    {
        if (dialogAllowed())
            answered(ScreenView::instance().MsgBox(msg, vbOKOnly | vbInformation, saysTitle(origin)));
    }
    bool javaScriptConfirm(const QUrl &origin, const QString &msg) override
    {
        return dialogAllowed() &&
               answered(ScreenView::instance().MsgBox(msg, vbYesNo | vbQuestion, saysTitle(origin))) == vbYes;
    }
    bool javaScriptPrompt(const QUrl &origin, const QString &msg, const QString &value, QString *result) override
    {
        if (!dialogAllowed())
            return false;
        const bool ok = QWebEnginePage::javaScriptPrompt(origin, msg, value, result);
        answered(0);
        return ok;
    }

    bool acceptNavigationRequest(const QUrl &url, NavigationType, bool) override
    {
        if (handledHere(url.scheme().toLower()))
            return true;
        if (m_asking)
            return false;
        m_asking = true;
        // Asked once the engine has its answer: no dialog inside its call.
        QPointer<GuardedPage> self(this);
        QTimer::singleShot(0, this, [self, url] {
            if (!self)
                return;
            const QString address = url.toString(QUrl::FullyEncoded);
            const QString program = handlerName(url.scheme().toLower());
            const QString who = program.isEmpty()
                                    ? QStringLiteral("the program this computer uses for '%1' addresses (none may be "
                                                     "set up)")
                                          .arg(url.scheme())
                                    : QStringLiteral("the program %1").arg(program);
            const QString prompt = QStringLiteral("The page asks to open this address with another program:\n\n%1\n\n"
                                                  "Pourvale does not open such addresses itself. Open it with %2?")
                                       .arg(address, who);
            const int answer =
                ScreenView::instance().MsgBox(prompt, vbYesNo | vbQuestion | vbDefaultButton2, QString());
            if (self)
                self->m_asking = false;
            if (answer == vbYes)
                QDesktopServices::openUrl(url);
        });
        return false;
    }

private:
    static QString saysTitle(const QUrl &origin)
    {
        const QString host = origin.host().left(100);
        return host.isEmpty() ? QStringLiteral("The page says") : QStringLiteral("The page at %1 says").arg(host);
    }
    bool dialogAllowed()
    {
        // Three dialogs each within two seconds of the last answer: the page
        // is asking in a loop.
        if (m_dialogsOff)
            return false;
        if (!m_sinceAnswer.isValid() || m_sinceAnswer.elapsed() >= 2000)
            m_quickDialogs = 0;
        else if (++m_quickDialogs >= 3)
            m_dialogsOff = true;
        return !m_dialogsOff;
    }
    int answered(int answer)
    {
        m_sinceAnswer.start();
        return answer;
    }

    bool m_asking = false;
    bool m_dialogsOff = false;
    int m_quickDialogs = 0;
    QElapsedTimer m_sinceAnswer;
};
} // namespace

WebEnginePageAdapter::WebEnginePageAdapter(QWidget *host, const QString &homePage, const QString &searchPage)
    : PageAdapter(host), m_view(new QWebEngineView(host)), m_home(web::addressToUrl(homePage)),
      m_search(web::addressToUrl(searchPage))
{
    m_view->setPage(new GuardedPage(m_view));
    m_view->setObjectName(QStringLiteral("brwWebBrowserView"));
    m_view->setAccessibleName(tr("Web page"));
    auto *fill = new QVBoxLayout(host);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(m_view);

    m_requested.setSingleShot(true);
    m_requested.setInterval(kStartGraceMs);

    QWebEnginePage *page = m_view->page();
    connect(page, &QWebEnginePage::loadStarted, this, [this] {
        m_requested.stop();
        m_loading = true;
    });
    connect(page, &QWebEnginePage::urlChanged, this, &PageAdapter::LocationChanged);
    connect(page, &QWebEnginePage::loadFinished, this, [this] {
        m_requested.stop();
        m_loading = false;
        emit DownloadComplete();
    });
}

void WebEnginePageAdapter::expectLoad()
{
    m_requested.start();
}

void WebEnginePageAdapter::request(const QUrl &url)
{
    const QUrl current = m_view->url();
    const bool samePage =
        url.hasFragment() && url.adjusted(QUrl::RemoveFragment) == current.adjusted(QUrl::RemoveFragment);
    if (!samePage)
        expectLoad();
    m_view->load(url);
}

void WebEnginePageAdapter::Navigate(const QString &address)
{
    request(web::addressToUrl(address));
}

void WebEnginePageAdapter::GoBack()
{
    if (m_view->history()->canGoBack()) {
        expectLoad();
        m_view->back();
    }
}

void WebEnginePageAdapter::GoForward()
{
    if (m_view->history()->canGoForward()) {
        expectLoad();
        m_view->forward();
    }
}

void WebEnginePageAdapter::GoHome()
{
    request(m_home);
}

void WebEnginePageAdapter::GoSearch()
{
    request(m_search);
}

void WebEnginePageAdapter::Refresh()
{
    if (!m_view->url().isEmpty()) {
        expectLoad();
        m_view->reload();
    }
}

void WebEnginePageAdapter::Stop()
{
    m_requested.stop();
    m_loading = false;
    m_view->stop();
}

bool WebEnginePageAdapter::Busy() const
{
    return m_loading || m_requested.isActive();
}

QString WebEnginePageAdapter::LocationName() const
{
    const QString title = m_view->title();
    return title.isEmpty() ? m_view->url().toString() : title;
}

QString WebEnginePageAdapter::LocationURL() const
{
    return m_view->url().toString();
}

} // namespace pv
