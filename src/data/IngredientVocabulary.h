#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

namespace pv {

// The groups of the ingredient vocabulary, in the order they are shown.
// Other holds recipe texts the vocabulary does not know.
enum class IngredientKind {
    Spirit,
    Liqueur,
    Wine,
    Beer,
    Bitters,
    Syrup,
    Juice,
    Soda,
    Dairy,
    Fruit,
    Herb,
    Garnish,
    Pantry,
    Other,
};

inline constexpr int kIngredientKindCount = int(IngredientKind::Other) + 1;

// "Spirits", "Wine and fortified" ... as the My Bar window heads its groups.
QString ingredientKindTitle(IngredientKind kind);

struct VocabularyProblem {
    int line = 0;
    QString message;
};

// The generic ingredients and the recipe texts that mean them, read from
// content/catalogue/ingredients.txt (format in docs/catalogue.md).
class IngredientVocabulary {
public:
    struct Ingredient {
        QString name;
        IngredientKind kind = IngredientKind::Other;
        int parent = -1;    // the first of `parents`, or -1
        QList<int> parents; // having this serves the lines of each parent
        // A recipe naming this style asks for any bottle of `parent`.
        bool anyOfParent = false;
        QList<int> madeFrom; // a house-made ingredient: what it is made of
        int line = 0;
    };

    // Reads the text; what cannot be understood is left out and told in
    // `problems` with its line.
    static IngredientVocabulary parse(const QString &text, QList<VocabularyProblem> *problems = nullptr);

    int size() const { return int(m_items.size()); }
    const Ingredient &at(int index) const { return m_items[index]; }
    // The ingredient a recipe text means, or -1; case, accents and spacing
    // do not count.
    int find(const QString &text) const;
    // Every folded text with the ingredient it means.
    const QHash<QString, int> &texts() const { return m_byText; }
    // Every text as written in the vocabulary (UTF-8), with its ingredient.
    const QList<QPair<QByteArray, int>> &writtenTexts() const { return m_written; }
    // Groups whose members stand in for one another as close substitutes.
    const QList<QList<int>> &substituteGroups() const { return m_groups; }
    // Folded drink name -> ingredients the drink needs even as garnishes.
    const QHash<QString, QList<int>> &neededGarnishes() const { return m_needed; }

private:
    QList<Ingredient> m_items;
    QList<QList<int>> m_groups;
    QHash<QString, QList<int>> m_needed;
    QHash<QString, int> m_byText; // folded text -> index
    QList<QPair<QByteArray, int>> m_written;
};

} // namespace pv
