#include "web/WebEngineLoader.h"

#include "data/AppFolders.h"
#include "ui/ScreenView.h"

#include <QCoreApplication>
#include <QLibrary>

namespace pv {

namespace {
WebEnginePageFactory g_factory = nullptr;
}

void setWebEnginePageFactory(WebEnginePageFactory factory)
{
    g_factory = factory;
}

void loadWebEngine()
{
    if (g_factory)
        return;
    // Kept loaded for the rest of the run: its windows live on.
    static QLibrary module;
    module.setFileName(locateAppFolders(QCoreApplication::applicationDirPath()).modules +
                       QStringLiteral("/pourvale_webengine"));
    module.setLoadHints(QLibrary::ExportExternalSymbolsHint);
    if (!module.load())
        throw ScreenError(QStringLiteral("The web browser cannot be opened: its page component could not be "
                                         "loaded (%1).")
                              .arg(module.errorString()));
    if (!g_factory)
        throw ScreenError(QStringLiteral("The web browser cannot be opened: its page component is not usable."));
}

PageAdapter *createWebEnginePage(QWidget *host)
{
    loadWebEngine();
    return g_factory(host);
}

} // namespace pv
