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
    QHash<QString, int> byName;             // folded name -> index
    QList<QPair<int, QString>> parentNames; // index, parent as written
    int kind = -1;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString key = line.mid(1, line.size() - 2).trimmed().toLower();
            kind = -1;
            for (int k = 0; k < kIngredientKindCount - 1; ++k)
                if (key == QLatin1String(kKinds[k].key))
                    kind = k;
            if (kind < 0)
                problem(lineNo, QStringLiteral("'%1' is not a kind of ingredient").arg(key));
            continue;
        }
        if (kind < 0) {
            problem(lineNo, QStringLiteral("an ingredient before its [kind]"));
            continue;
        }
        QString head = line;
        QStringList extra;
        if (const qsizetype colon = line.indexOf(QLatin1Char(':')); colon >= 0) {
            head = line.left(colon);
            for (const QString &t : line.mid(colon + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts))
                if (!t.trimmed().isEmpty())
                    extra << t.trimmed();
        }
        QString parent;
        if (const qsizetype lt = head.indexOf(QLatin1Char('<')); lt >= 0) {
            parent = head.mid(lt + 1).trimmed();
            head = head.left(lt);
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
        v.m_items << Ingredient{name, IngredientKind(kind), -1, lineNo};
        byName.insert(folded, index);
        if (!parent.isEmpty())
            parentNames << qMakePair(index, parent);
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
    for (const auto &[index, parent] : parentNames) {
        const int p = byName.value(foldForSearch(parent), -1);
        if (p < 0) {
            problem(v.m_items[index].line, QStringLiteral("the parent '%1' is not in the vocabulary").arg(parent));
            continue;
        }
        // A parent chain that comes back to the ingredient would make it its
        // own more specific kind; the link that closes it is dropped.
        bool loops = false;
        for (int a = p; a >= 0; a = v.m_items[a].parent)
            if (a == index) {
                loops = true;
                break;
            }
        if (loops)
            problem(v.m_items[index].line, QStringLiteral("'%1' would be a kind of itself").arg(v.m_items[index].name));
        else
            v.m_items[index].parent = p;
    }
    return v;
}

int IngredientVocabulary::find(const QString &text) const
{
    return m_byText.value(foldForSearch(text), -1);
}

} // namespace pv
