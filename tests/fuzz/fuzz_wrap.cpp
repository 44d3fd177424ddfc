// The wrapping of a recipe's directions: any text, any character widths and
// any limit give a finite list of lines that loses no character, and every
// line that is not the last or a lone over-wide word fits the limit.
#include "browser/RecipeLayout.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

QString withoutSpaces(QString s)
{
    s.remove(QLatin1Char(' '));
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int unit = in.ConsumeIntegralInRange<int>(0, 300); // twips a character, before its own share
    const double limit = in.ConsumeFloatingPointInRange<double>(-100.0, 6000.0);
    const std::string bytes = in.ConsumeRemainingBytesAsString();
    const QString text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));

    // A width that grows with the text, different for every character.
    const pv::TextWidth width = [unit](const QString &s) {
        double w = 0;
        for (QChar c : s)
            w += unit + (c.unicode() % 7) * 10;
        return w;
    };
    const QStringList lines = pv::wrapDirections(text, width, limit);
    check(!lines.isEmpty());
    check(withoutSpaces(lines.join(QString())) == withoutSpaces(text));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QString &line = lines[i];
        const bool loneWord = !line.trimmed().contains(QLatin1Char(' '));
        check(width(line) <= limit || loneWord);
    }
    return 0;
}
