#include "data/Criterion.h"

#include "data/DataError.h"

namespace pv {

namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

void skipSpace(const QString &s, qsizetype &i)
{
    while (i < s.size() && s.at(i).isSpace())
        ++i;
}

[[noreturn]] void syntax(const QString &why)
{
    throw DataError(ErrSyntax, why);
}

} // namespace

Criterion Criterion::parse(const QString &text)
{
    qsizetype i = 0;
    skipSpace(text, i);
    QString field;
    if (i < text.size() && text.at(i) == QLatin1Char('[')) {
        const qsizetype close = text.indexOf(QLatin1Char(']'), i + 1);
        if (close < 0)
            syntax(QStringLiteral("a field name has no closing bracket"));
        field = text.mid(i + 1, close - i - 1);
        i = close + 1;
    } else {
        const qsizetype start = i;
        while (i < text.size() && isNameChar(text.at(i)))
            ++i;
        field = text.mid(start, i - start);
    }
    if (field.isEmpty())
        syntax(QStringLiteral("no field name"));

    skipSpace(text, i);
    if (text.mid(i, 4).compare(QLatin1String("like"), Qt::CaseInsensitive) != 0
        || (i + 4 < text.size() && isNameChar(text.at(i + 4))))
        syntax(QStringLiteral("only Like comparisons are supported"));
    i += 4;
    skipSpace(text, i);

    if (i >= text.size() || (text.at(i) != QLatin1Char('\'') && text.at(i) != QLatin1Char('"')))
        syntax(QStringLiteral("the pattern must be quoted"));
    const QChar quote = text.at(i++);
    QString literal;
    bool closed = false;
    while (i < text.size()) {
        const QChar c = text.at(i++);
        if (c == quote) {
            if (i < text.size() && text.at(i) == quote) {
                literal += quote;
                ++i;
                continue;
            }
            closed = true;
            break;
        }
        literal += c;
    }
    if (!closed)
        syntax(QStringLiteral("the pattern has no closing quote"));
    skipSpace(text, i);
    if (i != text.size())
        syntax(QStringLiteral("unexpected text after the pattern"));

    return Criterion{field, LikePattern(literal)};
}

QString quoteSqlLiteral(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return out;
}

} // namespace pv
