#include "web/WebEngineSetup.h"

#include <QCoreApplication>

#include <unistd.h>

namespace pv {

void prepareWebEngine()
{
    // The engine's helper processes refuse to run as root inside their
    // sandbox and the browser window would stay blank. Root gets no
    // sandbox; everyone else keeps it. A value the user set wins.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The engine draws through a context shared with the widgets; it must
    // exist before the application object does.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace pv
