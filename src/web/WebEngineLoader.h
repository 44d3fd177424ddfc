#pragma once

#include <QString>

class QWidget;

namespace pv {

class PageAdapter;
using WebEnginePageFactory = PageAdapter *(*)(QWidget *host);

// The page area over the real web engine lives in a module of its own
// (pourvale_webengine, beside the program), loaded when the first browser
// window opens: the engine's libraries are large, and the program must not
// pay for them at every start.

// Called by the module (or by a program that links it in) to offer its pages.
void setWebEnginePageFactory(WebEnginePageFactory factory);
// Loads the module if need be; throws ScreenError when it cannot.
void loadWebEngine();
// A page area over the real engine; throws ScreenError when there is none.
PageAdapter *createWebEnginePage(QWidget *host);

} // namespace pv
