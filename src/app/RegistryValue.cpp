#include "app/SysInfo.h"

#include "ui/ScreenView.h"

#include <QDir>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>

// The registry seam and the byte rules of a value read from it, apart from
// the rest of the About box so the rules can be fuzzed on their own.
namespace pv
{

namespace
{

constexpr Registry::Key kSysInfoHandle = 1;

Registry *g_replacement = nullptr;

} // namespace

// --- The system's registry -------------------------------------------------------

long SystemRegistry::open(Key root, const QString &subKey, std::uint32_t, std::uint32_t, Key &key)
{
    if (root == kHKeyLocalMachine && subKey.compare(kSysInfoKey, Qt::CaseInsensitive) == 0) {
        key = kSysInfoHandle;
        return kErrorSuccess;
    }
    key = 0;
    return kErrorFileNotFound;
}

long SystemRegistry::query(Key key, const QString &valueName, std::uint32_t &type, QByteArray &buffer,
                           std::uint32_t &size)
{
    if (key != kSysInfoHandle)
        return kErrorInvalidHandle;
    if (valueName.compare(kSysInfoValue, Qt::CaseInsensitive) != 0)
        return kErrorFileNotFound;
    const QString program = findSysInfoProgram();
    if (program.isEmpty())
        return kErrorFileNotFound;
    // Stored the registry's way: the text with its terminating zero.
    const QByteArray bytes = program.toLocal8Bit() + '\0';
    if (std::uint32_t(bytes.size()) > size) {
        size = std::uint32_t(bytes.size());
        return kErrorMoreData;
    }
    if (buffer.size() < bytes.size())
        buffer.resize(bytes.size());
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    size = std::uint32_t(bytes.size());
    type = kRegSz;
    return kErrorSuccess;
}

long SystemRegistry::close(Key key)
{
    return key == kSysInfoHandle ? kErrorSuccess : kErrorInvalidHandle;
}

QString SystemRegistry::findSysInfoProgram()
{
    // Only absolute folders: an empty or relative entry in PATH would pick a
    // program out of whatever folder the program was started in.
    QStringList folders;
    for (const QString &dir : qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(dir))
            folders << dir;
    if (folders.isEmpty())
        return QString();
    for (const char *name : {"hardinfo", "gnome-system-monitor", "kinfocenter"}) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(name), folders);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

Registry &registry()
{
    static SystemRegistry system;
    return g_replacement ? *g_replacement : system;
}

Registry *setRegistry(Registry *replacement)
{
    Registry *previous = g_replacement;
    g_replacement = replacement;
    return previous;
}

// --- Reading a value ---------------------------------------------------------------

bool GetKeyValue(Registry::Key keyRoot, const QString &keyName, const QString &subKeyRef, QString &keyVal)
{
    Registry &reg = registry();
    Registry::Key key = 0;
    if (reg.open(keyRoot, keyName, 0, kKeyAllAccess, key) != kErrorSuccess) {
        keyVal.clear();
        reg.close(key);
        return false;
    }

    QByteArray buffer(int(kValueBufferSize), '\0');
    std::uint32_t size = kValueBufferSize;
    std::uint32_t type = 0;
    if (reg.query(key, subKeyRef, type, buffer, size) != kErrorSuccess) {
        keyVal.clear();
        reg.close(key);
        return false;
    }

    // An empty value has no last byte to look at: that is an error for the
    // caller, not a missing value.
    if (size == 0) {
        reg.close(key);
        throw ScreenError(QStringLiteral("The registry value %1 of %2 is empty.").arg(subKeyRef, keyName));
    }
    QByteArray kept = buffer.left(int(size));
    if (kept.endsWith('\0'))
        kept.chop(1);

    switch (type) {
    case kRegSz:
        keyVal = QString::fromLocal8Bit(kept);
        break;
    case kRegDword: {
        // Little-endian; a dropped high zero byte does not change the number.
        std::uint32_t number = 0;
        for (int i = std::min<int>(int(kept.size()), 4) - 1; i >= 0; --i)
            number = (number << 8) | std::uint8_t(kept.at(i));
        keyVal = QString::number(number);
        break;
    }
    default:
        break;
    }
    reg.close(key);
    return true;
}

} // namespace pv
