// The byte rules of a registry value: whatever the registry answers, a value
// is read whole or the key reports false with an empty text, an empty value
// raises, a terminating zero is dropped and nothing else is, and every key
// opened is closed.
#include "app/SysInfo.h"
#include "ui/ScreenView.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

class FuzzRegistry : public pv::Registry {
public:
    long openStatus = 0, queryStatus = 0;
    std::uint32_t type = 0;
    QByteArray value;
    int opens = 0, closes = 0;

    long open(Key, const QString &, std::uint32_t, std::uint32_t, Key &key) override
    {
        ++opens;
        key = openStatus == 0 ? 7 : 0;
        return openStatus;
    }
    long query(Key, const QString &, std::uint32_t &t, QByteArray &buffer, std::uint32_t &size) override
    {
        if (queryStatus != 0)
            return queryStatus;
        if (std::uint32_t(value.size()) > size) {
            size = std::uint32_t(value.size());
            return pv::kErrorMoreData;
        }
        std::copy(value.begin(), value.end(), buffer.begin());
        size = std::uint32_t(value.size());
        t = type;
        return 0;
    }
    long close(Key) override
    {
        ++closes;
        return 0;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    FuzzRegistry reg;
    reg.openStatus = in.ConsumeBool() ? 0 : in.ConsumeIntegralInRange<long>(1, 300);
    reg.queryStatus = in.ConsumeProbability<float>() < 0.8f ? 0 : in.ConsumeIntegralInRange<long>(1, 300);
    reg.type = in.ConsumeIntegralInRange<std::uint32_t>(0, 6);
    const std::string raw = in.ConsumeRemainingBytesAsString();
    reg.value = QByteArray(raw.data(), qsizetype(raw.size()));
    pv::Registry *previous = pv::setRegistry(&reg);

    QString out = QStringLiteral("as passed");
    bool ok = false;
    bool threw = false;
    try {
        ok = pv::GetKeyValue(pv::kHKeyLocalMachine, QStringLiteral("K"), QStringLiteral("V"), out);
    } catch (const pv::ScreenError &) {
        threw = true;
    }
    pv::setRegistry(previous);

    check(reg.closes == reg.opens);
    const bool readable = reg.openStatus == 0 && reg.queryStatus == 0 && reg.value.size() <= 1024;
    if (!readable) {
        check(!ok && !threw && out.isEmpty());
        return 0;
    }
    if (reg.value.isEmpty()) {
        check(threw);
        return 0;
    }
    check(ok && !threw);
    QByteArray kept = reg.value;
    if (kept.endsWith('\0'))
        kept.chop(1);
    if (reg.type == pv::kRegSz)
        check(out == QString::fromLocal8Bit(kept));
    else if (reg.type != pv::kRegDword)
        check(out == QStringLiteral("as passed"));
    return 0;
}
