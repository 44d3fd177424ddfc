// The find criterion parser: any text is parsed or refused with a syntax or
// pattern error, and a criterion built as the main window builds it parses
// back to its field and to a pattern that behaves as the one it was made of.
#include "data/Criterion.h"
#include "data/DataError.h"
#include "data/JetLike.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <optional>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

QString fromBytes(const std::string &s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Any text at all.
    const QString whole = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const pv::Criterion c = pv::Criterion::parse(whole);
        check(!c.field.isEmpty());
        (void)c.pattern.matches(whole);
    } catch (const pv::DataError &e) {
        check(e.number() == pv::ErrSyntax || e.number() == pv::ErrInvalidPattern);
    }

    // A field, a pattern and a sample text, put together as a criterion.
    FuzzedDataProvider in(data, size);
    QString field;
    for (char ch : in.ConsumeRandomLengthString(24))
        if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_')
            field += QLatin1Char(ch);
    if (field.isEmpty())
        field = QStringLiteral("DrinkName");
    const bool bracketed = in.ConsumeBool();
    const QChar quote = in.ConsumeBool() ? QLatin1Char('\'') : QLatin1Char('"');
    const QString pattern = fromBytes(in.ConsumeRandomLengthString(128));
    const QString sample = fromBytes(in.ConsumeRemainingBytesAsString());

    QString quoted = pattern;
    quoted.replace(quote, QString(2, quote));
    const QString criterion = (bracketed ? QLatin1Char('[') + field + QLatin1Char(']') : field) +
                              QStringLiteral(" Like ") + quote + quoted + quote;

    std::optional<pv::LikePattern> direct;
    try {
        direct.emplace(pattern);
    } catch (const pv::DataError &e) {
        check(e.number() == pv::ErrInvalidPattern);
    }
    try {
        const pv::Criterion c = pv::Criterion::parse(criterion);
        check(direct.has_value());
        check(c.field == field);
        for (const QString &s : {sample, pattern, field, QString()})
            check(c.pattern.matches(s) == direct->matches(s));
    } catch (const pv::DataError &e) {
        check(!direct.has_value() && e.number() == pv::ErrInvalidPattern);
    }
    return 0;
}
