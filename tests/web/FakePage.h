#pragma once

#include "ui/ScreenView.h"
#include "web/PageAdapter.h"

#include <QSet>
#include <QStringList>

// A page area that records what the window asks of it. Busy and
// LocationName are set by the test; an operation named in `failing` (or a
// Navigate to an address in `refused`) throws as a real engine error would.
class FakePage : public pv::PageAdapter {
public:
    using pv::PageAdapter::PageAdapter;

    QStringList calls;
    bool busy = false;
    QString location;
    QSet<QString> failing;
    QSet<QString> refused;

    void Navigate(const QString &address) override
    {
        calls << QStringLiteral("Navigate ") + address;
        if (refused.contains(address))
            throw pv::ScreenError(QStringLiteral("cannot open ") + address);
        op(QStringLiteral("Navigate"));
    }
    void GoBack() override { op(QStringLiteral("GoBack"), true); }
    void GoForward() override { op(QStringLiteral("GoForward"), true); }
    void GoHome() override { op(QStringLiteral("GoHome"), true); }
    void GoSearch() override { op(QStringLiteral("GoSearch"), true); }
    void Refresh() override { op(QStringLiteral("Refresh"), true); }
    void Stop() override { op(QStringLiteral("Stop"), true); }
    bool Busy() const override { return busy; }
    QString LocationName() const override { return location; }
    QString LocationURL() const override { return url; }
    QString url;

    // Another page is on screen.
    void go(const QString &address)
    {
        url = address;
        emit LocationChanged();
    }

    // The page finished loading and is called `title`.
    void finish(const QString &title)
    {
        busy = false;
        location = title;
        emit DownloadComplete();
    }

private:
    void op(const QString &name, bool record = false)
    {
        if (record)
            calls << name;
        if (failing.contains(name))
            throw pv::ScreenError(name + QStringLiteral(" failed"));
    }
};
