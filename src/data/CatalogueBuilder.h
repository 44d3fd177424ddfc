#pragma once

#include "data/CatalogueUpdate.h"
#include "data/IngredientVocabulary.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

namespace pv {

struct SeedProblem {
    QString file;
    int line = 0;
    QString message;
    QString toString() const;
};

struct DrinkSeed {
    QString name;
    QString glass;
    QStringList categories;
    QList<QPair<QString, QString>> ingredients; // quantity, ingredient
    QList<int> ingredientLines;
    QString directions;
    QString file;
    int line = 0;
};

struct CollectionRow {
    QMap<QString, QString> values; // column -> text
    QString file;
    int line = 0;
};

// Which of the builder's rules one drink is held to. The bundled catalogue is
// held to all of them; a drink brought in from a file to those that keep the
// catalogue sound (a drink typed into the main window may lack the rest).
struct DrinkRules {
    bool requireGlass = true; // else an empty glass passes
    bool requireDirections = true;
    bool requireQuantities = true; // every ingredient has a quantity
    bool requireCategories = true; // one to three, else up to three
    bool checkCategoryIngredients = true;

    static DrinkRules forImport() { return {false, false, false, false, false}; }
};

struct SeedCheckOptions {
    // The bundled catalogue must fill every stored query and table; small
    // test catalogues need not.
    bool requireEveryQueryFilled = true;
    bool requireEveryTableFilled = true;
    bool checkCategoryIngredients = true;
};

// The catalogue's content as read from the seed files, checked, and written
// as a new catalogue file.
class CatalogueSeed {
public:
    // Reads content/catalogue: drinks/*.txt and one file per collection table.
    void loadDirectory(const QString &dir);
    void parseDrinks(const QString &fileName, const QString &text);
    void parseCollection(const QString &table, const QString &fileName, const QString &text);
    // The quantity words recipes may use ("unit: oz", "phrase: Top with").
    void parseUnits(const QString &fileName, const QString &text);
    // Whether a quantity is a number with one of the units, a bare number or
    // a phrase; always true while no unit list is loaded.
    bool quantityAllowed(const QString &quantity) const;
    // Why a bundled quantity is refused: it does not read as an amount, its
    // amount is absurd, or its unit is not in the list. Empty when it passes.
    QString quantityProblem(const QString &quantity) const;

    QList<DrinkSeed> drinks;
    QMap<QString, QList<CollectionRow>> collections;
    // The ingredient vocabulary (ingredients.txt); every ingredient text of
    // the drinks must be placed in it when it is there.
    QString vocabularyFile;
    QString vocabularyText;
    // The typical strengths of its alcoholic ingredients (strength.txt).
    QString strengthFile;
    QString strengthText;
    QStringList units;
    QStringList unitPhrases;
    QString unitsFile = QStringLiteral("units.txt");

    // The version the built catalogue is recorded under, and what earlier
    // versions shipped (content/catalogue/shipped/<version>.tsv).
    QString version = QStringLiteral("dev");
    QString previousVersion;
    QList<ShippedRow> history;

    // Problems found while reading, plus those of check().
    QList<SeedProblem> problems() const { return m_problems; }
    QList<SeedProblem> check(const SeedCheckOptions &options = {}) const;

    // Writes a fresh catalogue to `path` (through a temporary file, so a
    // failed build leaves nothing half-written). Throws std::runtime_error.
    void write(const QString &path) const;

    // What is wrong with one drink. Empty
    // ingredient pairs are unfilled slots and count only up to the last
    // filled one; empty categories are unfilled slots too.
    struct DrinkProblem {
        QString reason;  // without the drink's name: "glass 'Tiki Mug' is not one of the twenty"
        QString message; // naming the drink, as the builder reports it
    };
    // A spirit, Beer or Wine category is checked only against a vocabulary.
    static QList<DrinkProblem> drinkProblems(const DrinkSeed &drink, const DrinkRules &rules,
                                             const IngredientVocabulary *vocabulary = nullptr);

    // Why an ingredient list does not belong in a category; empty when it
    // does. A spirit category needs an ingredient the vocabulary places under
    // that spirit, Beer and Wine one of their kind; Non-Alcoholic needs none
    // that names a drink with alcohol.
    static QString categoryRuleViolation(const QString &category, const QList<QPair<QString, QString>> &ingredients,
                                         const IngredientVocabulary *vocabulary);

private:
    struct RawRecord {
        QList<QPair<QString, QString>> fields;
        QList<int> fieldLines;
        int line = 0;
    };
    QList<RawRecord> parseRecords(const QString &fileName, const QString &text);

    QList<SeedProblem> m_problems;
};

} // namespace pv
