#include "data/AccentPattern.h"

#include "data/JetLike.h"
#include "data/TextFold.h"

#include <QHash>

namespace pv {

namespace {

// Plain spelling -> every letter of the Latin blocks that folds to it.
const QHash<QString, QString> &letterGroups()
{
    static const QHash<QString, QString> groups = [] {
        QHash<QString, QString> g;
        auto add = [&g](char32_t from, char32_t to) {
            for (char32_t u = from; u <= to; ++u) {
                const QChar c{char16_t(u)};
                if (!c.isLetter())
                    continue;
                const QString key = foldForSearch(QString(c));
                if (key.isEmpty() || key == QString(c))
                    continue;
                bool plain = true;
                for (QChar k : key)
                    plain = plain && k.unicode() < 0x80 && k.isLetter();
                if (!plain)
                    continue;
                QString &members = g[key];
                if (members.isEmpty())
                    members = key.size() == 1 ? key : QString();
                if (!members.contains(c))
                    members += c;
            }
        };
        add(0x00C0, 0x024F); // Latin-1 Supplement, Extended-A and -B
        add(0x1E00, 0x1EFF); // Latin Extended Additional
        return g;
    }();
    return groups;
}

} // namespace

QString accentBlindLike(const QString &text)
{
    const QHash<QString, QString> &groups = letterGroups();
    QString out;
    out.reserve(text.size() * 4);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isLetter() && !c.isSurrogate()) {
            const auto it = groups.constFind(foldForSearch(QString(c)));
            if (it != groups.constEnd() && it->size() > 1) {
                // Letters only: none of them has a meaning inside a list.
                out += QLatin1Char('[') + *it + QLatin1Char(']');
                continue;
            }
        }
        out += LikePattern::quoteLiteral(QString(c));
    }
    return out;
}

} // namespace pv
