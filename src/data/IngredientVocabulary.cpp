#include "data/IngredientVocabulary.h"

#include "data/TextFold.h"

#include <QStringList>

namespace pv {

namespace {

struct KindName {
    const char *key;
    const char *title;
};

const KindName kKinds[kIngredientKindCount] = {
    {"spirit", "Spirits"},      {"liqueur", "Liqueurs"},      {"wine", "Wine and fortified"},
    {"beer", "Beer and cider"}, {"bitters", "Bitters"},       {"syrup", "Syrups and sweeteners"},
    {"juice", "Juices"},        {"soda", "Sodas and mixers"}, {"dairy", "Dairy and egg"},
    {"fruit", "Fruit"},         {"herb", "Herbs and spices"}, {"garnish", "Garnishes"},
    {"pantry", "Pantry"},       {"other", "Other"},
};

} // namespace

QString ingredientKindTitle(IngredientKind kind)
{
    const int i = int(kind);
    return i >= 0 && i < kIngredientKindCount ? QString::fromUtf8(kKinds[i].title) : QString();
}

IngredientVocabulary IngredientVocabulary::parse(const QString &text, QList<VocabularyProblem> *problems)
{
    IngredientVocabulary v;
    auto problem = [problems](int line, const QString &message) {
        if (problems)
            *problems << VocabularyProblem{line, message};
    };
    QHash<QString, int> byName; // folded name -> index
    struct Link {
        int index;
        QStringList names;
        int line;
    };
    QList<Link> parentNames, madeFromNames, groupNames, neededTexts;
    QStringList neededDrinks;
    auto splitList = [](const QString &s, QChar by) {
        QStringList out;
        for (const QString &t : s.split(by, Qt::SkipEmptyParts))
            if (!t.trimmed().isEmpty())
                out << t.trimmed();
        return out;
    };
    int kind = -1;
    bool neededSection = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString key = line.mid(1, line.size() - 2).trimmed().toLower();
            kind = -1;
            neededSection = key == QLatin1String("needed");
            for (int k = 0; k < kIngredientKindCount - 1; ++k)
                if (key == QLatin1String(kKinds[k].key))
                    kind = k;
            if (kind < 0 && !neededSection)
                problem(lineNo, QStringLiteral("'%1' is not a kind of ingredient").arg(key));
            continue;
        }
        if (neededSection) {
            const qsizetype colon = line.lastIndexOf(QLatin1Char(':'));
            if (colon <= 0) {
                problem(lineNo, QStringLiteral("a needed garnish is written 'Drink: ingredient'"));
                continue;
            }
            neededDrinks << line.left(colon).simplified();
            neededTexts << Link{int(neededDrinks.size()) - 1, splitList(line.mid(colon + 1), QLatin1Char(';')), lineNo};
            continue;
        }
        if (kind < 0) {
            problem(lineNo, QStringLiteral("an ingredient before its [kind]"));
            continue;
        }
        if (line.startsWith(QLatin1Char('~'))) {
            groupNames << Link{-1, splitList(line.mid(1), QLatin1Char(';')), lineNo};
            continue;
        }
        QString head = line;
        QStringList extra;
        if (const qsizetype colon = line.indexOf(QLatin1Char(':')); colon >= 0) {
            head = line.left(colon);
            extra = splitList(line.mid(colon + 1), QLatin1Char(';'));
        }
        QString parent;
        if (const qsizetype lt = head.indexOf(QLatin1Char('<')); lt >= 0) {
            parent = head.mid(lt + 1).trimmed();
            head = head.left(lt);
        }
        QString madeFrom;
        if (const qsizetype eq = head.indexOf(QLatin1Char('=')); eq >= 0) {
            madeFrom = head.mid(eq + 1).trimmed();
            head = head.left(eq);
        }
        const QString name = head.simplified();
        if (name.isEmpty()) {
            problem(lineNo, QStringLiteral("an ingredient without a name"));
            continue;
        }
        const QString folded = foldForSearch(name);
        if (byName.contains(folded)) {
            problem(lineNo,
                    QStringLiteral("'%1' is already named at line %2").arg(name).arg(v.m_items[byName[folded]].line));
            continue;
        }
        const int index = int(v.m_items.size());
        Ingredient item{name, IngredientKind(kind), -1, {}, false, {}, lineNo};
        if (parent.endsWith(QLatin1String("(any)"))) {
            item.anyOfParent = true;
            parent.chop(5);
        }
        v.m_items << item;
        byName.insert(folded, index);
        if (!parent.trimmed().isEmpty())
            parentNames << Link{index, splitList(parent, QLatin1Char(',')), lineNo};
        if (!madeFrom.isEmpty())
            madeFromNames << Link{index, splitList(madeFrom, QLatin1Char('+')), lineNo};
        extra.prepend(name);
        for (const QString &t : extra) {
            const QString f = foldForSearch(t);
            const auto it = v.m_byText.constFind(f);
            if (it != v.m_byText.cend() && *it != index)
                problem(lineNo, QStringLiteral("'%1' already means '%2'").arg(t, v.m_items[*it].name));
            else {
                v.m_byText.insert(f, index);
                v.m_written << qMakePair(t.toUtf8(), index);
            }
        }
    }
    // True when `from` serves `to` through the links made so far.
    auto reaches = [&v](int from, int to) {
        QList<int> stack{from};
        QList<char> seen(v.m_items.size(), 0);
        while (!stack.isEmpty()) {
            const int a = stack.takeLast();
            if (a == to)
                return true;
            if (seen[a])
                continue;
            seen[a] = 1;
            stack << v.m_items[a].parents;
        }
        return false;
    };
    for (const Link &l : parentNames)
        for (const QString &parent : l.names) {
            const int p = byName.value(foldForSearch(parent), -1);
            if (p < 0) {
                problem(l.line, QStringLiteral("the parent '%1' is not in the vocabulary").arg(parent));
                continue;
            }
            // A parent chain that comes back to the ingredient would make it its
            // own more specific kind; the link that closes it is dropped.
            if (reaches(p, l.index)) {
                problem(l.line, QStringLiteral("'%1' would be a kind of itself").arg(v.m_items[l.index].name));
                continue;
            }
            Ingredient &item = v.m_items[l.index];
            if (!item.parents.contains(p))
                item.parents << p;
            item.parent = item.parents.first();
        }
    for (Ingredient &item : v.m_items)
        if (item.anyOfParent && item.parent < 0)
            item.anyOfParent = false;
    for (const Link &l : madeFromNames)
        for (const QString &part : l.names) {
            const int p = v.find(part);
            if (p < 0 || p == l.index)
                problem(l.line, QStringLiteral("'%1', which it is made of, is not in the vocabulary").arg(part));
            else if (!v.m_items[p].madeFrom.isEmpty())
                problem(l.line, QStringLiteral("'%1' is house-made itself").arg(part));
            else
                v.m_items[l.index].madeFrom << p;
        }
    for (const Link &l : groupNames) {
        QList<int> group;
        for (const QString &member : l.names) {
            const int m = byName.value(foldForSearch(member), -1);
            if (m < 0)
                problem(l.line, QStringLiteral("the substitute '%1' is not in the vocabulary").arg(member));
            else if (!group.contains(m))
                group << m;
        }
        if (group.size() > 1)
            v.m_groups << group;
    }
    for (const Link &l : neededTexts)
        for (const QString &t : l.names) {
            const int m = v.find(t);
            if (m < 0)
                problem(l.line, QStringLiteral("the garnish '%1' is not in the vocabulary").arg(t));
            else
                v.m_needed[foldForSearch(neededDrinks[l.index])] << m;
        }
    return v;
}

int IngredientVocabulary::find(const QString &text) const
{
    return m_byText.value(foldForSearch(text), -1);
}

} // namespace pv
