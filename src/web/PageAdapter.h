#pragma once

#include <QObject>
#include <QString>

namespace pv {

// What the browser window asks of its page area. The operations throw
// ScreenError when they cannot be carried out.
class PageAdapter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void Navigate(const QString &address) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void GoHome() = 0;
    virtual void GoSearch() = 0;
    virtual void Refresh() = 0;
    virtual void Stop() = 0;
    // True from the moment a load is asked for until it ends.
    virtual bool Busy() const = 0;
    // The page's title, or its address when it has none.
    virtual QString LocationName() const = 0;
    // The address of the page on screen.
    virtual QString LocationURL() const { return QString(); }

signals:
    // A load has finished, well or not.
    void DownloadComplete();
    // Another page is on screen (a link, Back, Forward, a redirect ...).
    void LocationChanged();
};

} // namespace pv
