#pragma once

namespace pv {

// Settings the web engine reads only once per process; call before the
// QApplication is created. The engine itself still starts only when the
// first browser window opens.
void prepareWebEngine();

} // namespace pv
