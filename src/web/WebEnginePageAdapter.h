#pragma once

#include "web/PageAdapter.h"
#include "web/WebConfig.h"

#include <QTimer>
#include <QUrl>

class QWebEngineView;
class QWidget;

namespace pv {

// The page area over Qt WebEngine. The view fills `host`; creating the first
// one starts the engine.
class WebEnginePageAdapter : public PageAdapter {
    Q_OBJECT
public:
    explicit WebEnginePageAdapter(QWidget *host, const QString &homePage = web::kHomePage,
                                  const QString &searchPage = web::kSearchPage);

    void Navigate(const QString &address) override;
    void GoBack() override;
    void GoForward() override;
    void GoHome() override;
    void GoSearch() override;
    void Refresh() override;
    void Stop() override;
    bool Busy() const override;
    QString LocationName() const override;
    QString LocationURL() const override;

    QWebEngineView *view() const { return m_view; }

private:
    void request(const QUrl &url);
    void expectLoad();

    QWebEngineView *m_view;
    QUrl m_home;
    QUrl m_search;
    bool m_loading = false;
    // The engine starts a load a little after it is asked to, and not at all
    // for a jump within the page; until it starts, this timer keeps Busy true.
    QTimer m_requested;
};

} // namespace pv
