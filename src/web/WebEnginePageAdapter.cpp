#include "web/WebEnginePageAdapter.h"

#include "web/WebAddress.h"

#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace pv {

namespace {
// Long enough for a busy machine to start a load, short enough that a request
// the engine never starts does not leave the caption at "Working...".
constexpr int kStartGraceMs = 3000;
} // namespace

WebEnginePageAdapter::WebEnginePageAdapter(QWidget *host, const QString &homePage, const QString &searchPage)
    : PageAdapter(host), m_view(new QWebEngineView(host)), m_home(web::addressToUrl(homePage)),
      m_search(web::addressToUrl(searchPage))
{
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
