#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace pv
{

// The system registry as the About box reads it: the three calls it needs,
// with the registry's own status codes, so that a fake can stand in for it.
class Registry
{
public:
    using Key = std::uint32_t;
    virtual ~Registry() = default;

    // Opens subKey under root; 0 and the new key in `key`, or an error code.
    virtual long open(Key root, const QString &subKey, std::uint32_t options, std::uint32_t access, Key &key) = 0;
    // Reads a value into buffer (at most `size` bytes). On 0, `type` holds the
    // value's type and `size` the number of bytes stored; a value that does
    // not fit gives kErrorMoreData.
    virtual long query(Key key, const QString &valueName, std::uint32_t &type, QByteArray &buffer,
                       std::uint32_t &size) = 0;
    virtual long close(Key key) = 0;
};

inline constexpr Registry::Key kHKeyLocalMachine = 0x80000002u;
inline constexpr std::uint32_t kKeyAllAccess = 0x2003Fu;
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorMoreData = 234;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kValueBufferSize = 1024;

inline const QString kSysInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
inline const QString kSysInfoValue = QStringLiteral("PATH");
inline const QString kSysInfoLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
inline const QString kSysInfoLocationValue = QStringLiteral("MSINFO");
inline const QString kSysInfoExe = QStringLiteral("MSINFO32.EXE");
inline const QString kSysInfoUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

// This system's registry: read-only, and it knows one value, the path of an
// installed system-information program under the key the About box asks first.
class SystemRegistry : public Registry
{
public:
    long open(Key root, const QString &subKey, std::uint32_t options, std::uint32_t access, Key &key) override;
    long query(Key key, const QString &valueName, std::uint32_t &type, QByteArray &buffer,
               std::uint32_t &size) override;
    long close(Key key) override;

    // The first system-information program found on PATH, or empty.
    static QString findSysInfoProgram();
};

// The registry GetKeyValue reads; tests put a fake in place (returns the
// previous one; nullptr restores the system's).
Registry &registry();
Registry *setRegistry(Registry *replacement);

// Reads one registry value into keyVal; true when it was read. Every registry
// failure gives false and an empty keyVal. A value of no bytes throws.
bool GetKeyValue(Registry::Key keyRoot, const QString &keyName, const QString &subKeyRef, QString &keyVal);

// Starts the system-information tool, or says that it is unavailable.
void StartSysInfo();

} // namespace pv
