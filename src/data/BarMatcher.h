#pragma once

#include "data/IngredientVocabulary.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

namespace pv {

struct BarOptions {
    // A parent or a sibling stands in for an ingredient: Gin for London Dry Gin.
    bool substitutes = false;
    // Garnishes are needed like every other ingredient.
    bool garnishes = false;
};

// What the shelf allows, in table order of the drinks.
struct BarLists {
    struct OneAway {
        int drink;
        int missing; // ingredient
    };
    struct Buy {
        int ingredient;
        int drinks; // more drinks that one bottle makes possible
    };
    std::vector<int> canMake;
    std::vector<OneAway> oneAway;
    std::vector<Buy> buyNext; // most drinks first, then by name
    // Drinks (not makeable now) that any one bottle under this ingredient
    // completes, by ingredient; read through BarIndex::unlockedBy.
    std::vector<std::vector<int>> unlockAt;
};

// The drinks of a catalogue with their ingredients placed in the vocabulary:
// what the My Bar window, the main window's list and the benchmark match on.
class BarIndex {
public:
    explicit BarIndex(IngredientVocabulary vocabulary);

    // Adds every drink of the catalogue file's drinklst, in table order.
    // Throws std::runtime_error with the engine's message.
    void loadCatalogue(const QString &path);
    void addDrink(qint64 key, const QString &name, const QStringList &ingredients);

    const IngredientVocabulary &vocabulary() const { return m_vocabulary; }

    // Ingredients: the vocabulary's first, then texts it does not know, one
    // ingredient each (kind Other).
    int ingredientCount() const { return int(m_parent.size()); }
    QString ingredientName(int i) const;
    IngredientKind ingredientKind(int i) const;
    int ingredientParent(int i) const { return m_parent[i]; }
    bool hasChildren(int i) const { return m_last[i] > m_first[i] + 1; }
    // Drinks that name it.
    int usage(int i) const { return m_usage[i]; }
    // The ingredient a text means (a name, a recipe text or a typed text
    // seen in the catalogue), or -1.
    int ingredientOf(const QString &text) const;

    int drinkCount() const { return int(m_keys.size()); }
    qint64 drinkKey(int d) const { return m_keys[d]; }
    QString drinkName(int d) const;
    std::vector<int> drinkIngredients(int d) const;

    // True when both hold the same drinks with the same ingredients.
    bool sameDrinks(const BarIndex &other) const
    {
        return m_keys == other.m_keys && m_ingStart == other.m_ingStart && m_ings == other.m_ings
               && m_names == other.m_names && m_otherNames == other.m_otherNames;
    }

    // True when having `had` satisfies a recipe's `wanted`.
    bool satisfies(int had, int wanted, const BarOptions &options) const;

    // The three lists for the ingredients at hand (have[i] != 0).
    BarLists compute(const std::vector<char> &have, const BarOptions &options) const;
    // The drinks one bottle of `ingredient` completes, in table order.
    std::vector<int> unlockedBy(const BarLists &lists, int ingredient) const;

private:
    int place(const char *utf8, int size);
    int addOther(const QString &text, const QString &folded);
    // The ingredient whose subtree holds what may stand in for `wanted`.
    int coverRoot(int wanted, const BarOptions &options) const;
    bool within(int root, int node) const { return m_first[root] <= m_first[node] && m_first[node] < m_last[root]; }

    IngredientVocabulary m_vocabulary;
    // Exact recipe text (UTF-8) -> ingredient, -1: no ingredient. Looked up
    // for every cell of a catalogue, so kept as one flat open-addressed table.
    struct RawSlot {
        unsigned long long hash = 0;
        unsigned offset = 0, size = 0;
        int value = 0;
        bool used = false;
    };
    const RawSlot *findRaw(std::string_view text, unsigned long long hash) const;
    void addRaw(std::string_view text, unsigned long long hash, int value);
    std::vector<RawSlot> m_rawSlots = std::vector<RawSlot>(1024);
    std::string m_rawText;
    size_t m_rawCount = 0;
    QHash<QString, int> m_otherByFold; // folded unknown text -> ingredient
    QStringList m_otherNames;
    std::vector<int> m_parent;
    std::vector<int> m_first, m_last; // preorder span: the subtree is [first, last)
    std::vector<int> m_preorder;      // ingredients by m_first
    std::vector<int> m_usage;
    std::vector<qint64> m_keys;
    std::vector<unsigned> m_ingStart; // per drink, into m_ings; one more entry at the end
    std::vector<int> m_ings;
    std::string m_names;
    std::vector<unsigned> m_nameStart;
};

// The ticked ingredients and options as kept in the settings (section
// MyBar): names, so a shelf outlives a changed vocabulary or catalogue.
struct BarShelf {
    QStringList have;    // ticked, pantry staples aside
    QStringList without; // pantry staples unticked
    BarOptions options;

    // Pantry staples are at hand unless unticked; names not found are ignored.
    std::vector<char> haveVector(const BarIndex &index) const;
    // This shelf with the ticks of `have` (one entry per ingredient); names
    // the index does not know are kept for a later catalogue that has them.
    BarShelf withTicks(const BarIndex &index, const std::vector<char> &have) const;
};

} // namespace pv
