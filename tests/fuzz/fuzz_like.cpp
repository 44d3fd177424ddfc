// The Like matcher against any pattern and any text: no crash, no undefined
// behaviour, the UTF-8 path agrees with the QString path, and a quoted
// literal always finds the text it was made from.
#include "data/DataError.h"
#include "data/JetLike.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>

using pv::LikePattern;

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string patternBytes = in.ConsumeRandomLengthString(256);
    const size_t cut = in.ConsumeIntegral<uint16_t>();
    const std::string textBytes = in.ConsumeRemainingBytesAsString();
    const QString pattern = QString::fromUtf8(patternBytes.data(), qsizetype(patternBytes.size()));
    const QString text = QString::fromUtf8(textBytes.data(), qsizetype(textBytes.size()));
    const bool textIsUtf8 = text.toUtf8() == QByteArray(textBytes.data(), qsizetype(textBytes.size()));

    try {
        const LikePattern p(pattern);
        const bool viaString = p.matches(text);
        const bool viaUtf8 = p.matchesUtf8(textBytes);
        // Malformed UTF-8 may decode differently; well-formed text must agree.
        if (textIsUtf8)
            check(viaString == viaUtf8);
    } catch (const pv::DataError &e) {
        check(e.number() == pv::ErrInvalidPattern);
    }

    // What the main window's search does with typed text: the text quoted
    // as a literal, wrapped in stars, finds every text that holds it.
    const LikePattern exact(LikePattern::quoteLiteral(text));
    check(exact.matches(text));
    if (!text.isEmpty()) {
        qsizetype from = qsizetype(cut % size_t(text.size()));
        if (text.at(from).isLowSurrogate())
            --from; // keep characters whole
        qsizetype to = std::min(text.size(), from + qsizetype(cut % 7) + 1);
        if (to < text.size() && text.at(to - 1).isHighSurrogate())
            ++to;
        const QString part = text.mid(from, to - from);
        const LikePattern anywhere(QLatin1Char('*') + LikePattern::quoteLiteral(part) + QLatin1Char('*'));
        check(anywhere.matches(text));
        if (textIsUtf8)
            check(anywhere.matchesUtf8(textBytes));
    }
    return 0;
}
