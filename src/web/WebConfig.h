#pragma once

#include <QString>

// The addresses the browser window knows by itself, kept together so that
// changing the web site means changing this file only.
namespace pv::web {

// The maker's web site: a page shipped inside the program, so the browser
// opens on something useful even without a network connection.
inline const QString kStartPage = QStringLiteral("qrc:/web/start.html");

// Where the Home key goes.
inline const QString kHomePage = kStartPage;

// Where the Search key goes.
inline const QString kSearchPage = QStringLiteral("https://duckduckgo.com/");

} // namespace pv::web
