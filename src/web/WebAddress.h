#pragma once

#include <QString>
#include <QUrl>

namespace pv::web {

// The page an address typed by a person stands for: "www.example.com" and
// "/tmp/page.html" are completed, an address that is not one (empty, or a
// host with spaces in it) throws ScreenError with a message for that person.
QUrl addressToUrl(const QString &address);

} // namespace pv::web
