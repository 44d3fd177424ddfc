#include "app/SysInfo.h"

#include "ui/ScreenView.h"

#include <QDir>
#include <QStringList>

namespace pv
{

// --- Starting the tool ---------------------------------------------------------------

void StartSysInfo()
{
    try {
        QString sysInfoPath;
        if (!GetKeyValue(kHKeyLocalMachine, kSysInfoKey, kSysInfoValue, sysInfoPath)) {
            if (!GetKeyValue(kHKeyLocalMachine, kSysInfoLocationKey, kSysInfoLocationValue, sysInfoPath))
                throw ScreenError(kSysInfoUnavailable);
            sysInfoPath += QDir::separator() + kSysInfoExe;
            if (Screen().Dir(sysInfoPath).isEmpty())
                throw ScreenError(kSysInfoUnavailable);
        }
        // A path from the first key is started as it stands, checked or not.
        Screen().Shell(sysInfoPath, 1);
        return;
    } catch (...) {
    }
    Screen().MsgBox(kSysInfoUnavailable, vbOKOnly);
}

} // namespace pv
