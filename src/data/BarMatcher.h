#pragma once

#include "data/IngredientVocabulary.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pv {

struct BarOptions {
    // The vocabulary's close substitutes stand in: rye for bourbon.
    bool substitutes = false;
    // Garnishes are needed like every other ingredient.
    bool garnishes = false;
    // The user's own rules: having `first` counts as having `second`.
    std::vector<std::pair<int, int>> countAs;
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
    std::vector<Buy> buyNext; // most drinks first, the plainer bottle first, then by name
    // Drinks (not makeable now) that one bottle of this ingredient completes,
    // by ingredient; read through BarIndex::unlockedBy.
    std::vector<std::vector<int>> unlockAt;
    // Per drink not makeable now: what it still needs (house-made ingredients
    // are replaced by what they are made of), in `needs` from needStart[k].
    std::vector<int> open;
    std::vector<unsigned> needStart; // one more entry than `open`
    std::vector<int> needs;
    // ok[i]: a recipe line asking for i is served by the shelf.
    std::vector<char> ok;
};

// The drinks of a catalogue with their ingredients placed in the vocabulary:
// what the My Bar window, the main window's list and the benchmark match on.
class BarIndex {
public:
    explicit BarIndex(IngredientVocabulary vocabulary);

    // Adds every drink of the catalogue file's drinklst, in table order.
    // Throws std::runtime_error with the engine's message.
    void loadCatalogue(const QString &path);
    // `quantities` (optional, one per ingredient) tell garnish use: "1 twist".
    void addDrink(qint64 key, const QString &name, const QStringList &ingredients, const QStringList &quantities = {});

    const IngredientVocabulary &vocabulary() const { return m_vocabulary; }

    // Ingredients: the vocabulary's first, then texts it does not know, one
    // ingredient each (kind Other).
    int ingredientCount() const { return int(m_up.size()); }
    QString ingredientName(int i) const;
    IngredientKind ingredientKind(int i) const;
    int ingredientParent(int i) const { return i < m_vocabulary.size() ? m_vocabulary.at(i).parent : -1; }
    // What having i serves: i itself and every ingredient it is a kind of.
    const std::vector<int> &serves(int i) const { return m_up[i]; }
    // The close substitutes that stand in for i.
    const std::vector<int> &substitutesFor(int i) const { return m_groupOf[i]; }
    // What a house-made ingredient is made of; empty for a bought one.
    const std::vector<int> &madeFrom(int i) const { return m_madeFrom[i]; }
    bool isHouseMade(int i) const { return !m_madeFrom[i].empty(); }
    // How many kinds up it sits: the plainer bottle has the smaller depth.
    int depth(int i) const { return m_depth[i]; }
    // Drinks that name it.
    int usage(int i) const { return m_usage[i]; }
    // Per ingredient: the drinks a bottle of it goes into (the lines it serves).
    std::vector<int> servedUsage() const;
    // The ingredient a text means (a name, a recipe text or a typed text
    // seen in the catalogue), or -1.
    int ingredientOf(const QString &text) const;

    int drinkCount() const { return int(m_keys.size()); }
    qint64 drinkKey(int d) const { return m_keys[d]; }
    QString drinkName(int d) const;
    std::vector<int> drinkIngredients(int d) const;
    // True when the drink's line for ingredient `k`-th is only a garnish.
    bool lineIsGarnish(int d, int k) const { return m_garnish[m_ingStart[d] + unsigned(k)] != 0; }

    // True when both hold the same drinks with the same ingredients.
    bool sameDrinks(const BarIndex &other) const
    {
        return m_keys == other.m_keys && m_ingStart == other.m_ingStart && m_ings == other.m_ings &&
               m_garnish == other.m_garnish && m_names == other.m_names && m_otherNames == other.m_otherNames;
    }

    // Every recipe line one bottle of each ingredient would serve, given the
    // options (substitutes, the user's rules), by ingredient; sorted.
    std::vector<std::vector<int>> coverage(const BarOptions &options) const;

    // The three lists for the ingredients at hand (have[i] != 0).
    BarLists compute(const std::vector<char> &have, const BarOptions &options) const;
    // The drinks one bottle of `ingredient` completes, in table order.
    std::vector<int> unlockedBy(const BarLists &lists, int ingredient) const;

private:
    int place(const char *utf8, int size);
    int addOther(const QString &text, const QString &folded);
    // Adds one recipe line of the drink being added.
    void addLine(size_t start, int ingredient, bool garnish);
    bool garnishUse(int ingredient, const char *quantity, int size) const;
    void finishDrink(size_t start, const char *name, int size);

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
    std::vector<std::vector<int>> m_up, m_groupOf, m_madeFrom;
    std::vector<int> m_depth;
    std::vector<int> m_wantAs; // a style that asks for any bottle of its parent -> that parent
    std::vector<int> m_usage;
    std::vector<char> m_garnish; // per line in m_ings
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
    BarOptions options;  // its countAs is filled from `countAs` by options()
    // The user's rules "I count X as Y", as "X=Y" by name.
    QStringList countAs;

    // The options with the rules whose names the index knows.
    BarOptions optionsFor(const BarIndex &index) const;

    // Pantry staples are at hand unless unticked; names not found are ignored.
    std::vector<char> haveVector(const BarIndex &index) const;
    // This shelf with the ticks of `have` (one entry per ingredient); names
    // the index does not know are kept for a later catalogue that has them.
    BarShelf withTicks(const BarIndex &index, const std::vector<char> &have) const;
};

} // namespace pv
