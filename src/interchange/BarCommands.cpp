#include "interchange/BarCommands.h"

#include "data/BarPlanner.h"
#include "data/TextFold.h"
#include "interchange/CommandLine.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <stdexcept>

namespace pv::interchange {

namespace {

IngredientVocabulary vocabulary()
{
    // Compiled into the program with the windows' resources.
    QFile f(QStringLiteral(":/catalogue/ingredients.txt"));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("the ingredient vocabulary is missing from the program");
    return IngredientVocabulary::parse(QString::fromUtf8(f.readAll()));
}

QStringList names(const QString &list)
{
    QStringList out;
    for (const QString &s : list.split(QLatin1Char(';')))
        if (!s.trimmed().isEmpty())
            out << s.trimmed();
    return out;
}

// Ingredients by name; false, after naming it, at the first one unknown.
bool resolve(const BarIndex &index, const QString &list, std::vector<int> &out, QTextStream &err)
{
    for (const QString &name : names(list)) {
        const int i = index.ingredientOf(name);
        if (i < 0) {
            err << "pourvale: unknown ingredient '" << name << "'\n";
            return false;
        }
        out.push_back(i);
    }
    return true;
}

} // namespace

int runBarCommand(const BarArguments &a, const QString &catalogue, QTextStream &out, QTextStream &err)
{
    if (!QFileInfo(catalogue).isFile()) {
        err << "pourvale: there is no catalogue " << catalogue << '\n';
        return ExitRefused;
    }
    std::unique_ptr<BarIndex> index;
    try {
        index = std::make_unique<BarIndex>(vocabulary());
        index->loadCatalogue(catalogue);
    } catch (const std::exception &e) {
        err << "pourvale: " << catalogue << ": " << QString::fromUtf8(e.what()) << '\n';
        return ExitRefused;
    }
    std::vector<int> have, never;
    if (!resolve(*index, a.have, have, err) || !resolve(*index, a.exclude, never, err))
        return ExitUsage;
    BarShelf shelf;
    for (int i : have)
        shelf.have << index->ingredientName(i);
    shelf.options.substitutes = a.substitutes;
    shelf.options.garnishes = a.garnishes;
    for (const QString &rule : names(a.countAs)) {
        const QStringList sides = rule.split(QLatin1Char('='));
        std::vector<int> pair;
        if (sides.size() != 2 || !resolve(*index, sides[0], pair, err) || !resolve(*index, sides[1], pair, err) ||
            pair.size() != 2) {
            if (sides.size() != 2)
                err << "pourvale: a rule of --count-as is written 'X = Y', not '" << rule << "'\n";
            return ExitUsage;
        }
        shelf.countAs << index->ingredientName(pair[0]) + QLatin1Char('=') + index->ingredientName(pair[1]);
    }
    PlanRequest request;
    request.have = shelf.haveVector(*index);
    request.options = shelf.optionsFor(*index);
    if (a.canMake) {
        for (int d : index->compute(request.have, request.options).canMake)
            out << index->drinkName(d) << '\n';
        return ExitOk;
    }
    for (const QString &name : names(a.must)) {
        int found = -1;
        const QString folded = foldForSearch(name);
        for (int d = 0; d < index->drinkCount() && found < 0; ++d)
            if (foldForSearch(index->drinkName(d)) == folded)
                found = d;
        if (found < 0) {
            err << "pourvale: unknown drink '" << name << "'\n";
            return ExitUsage;
        }
        request.mustMake.push_back(found);
    }
    request.never.assign(size_t(index->ingredientCount()), 0);
    for (int i : never)
        request.never[size_t(i)] = 1;
    request.bottles = a.plan;
    request.seconds = a.seconds;
    const Plan plan = planBottles(*index, request);
    if (!plan.feasible) {
        err << "pourvale: no " << a.plan << " bottles make every drink of --must\n";
        return ExitRefused;
    }
    if (!plan.found) {
        err << "pourvale: no plan that makes every drink of --must was found in " << a.seconds
            << " seconds; give more --seconds\n";
        return ExitRefused;
    }
    for (int b : plan.bottles)
        out << index->ingredientName(b) << '\n';
    out << "total: " << plan.total << " drinks ";
    if (plan.optimal)
        out << "(optimal)\n";
    else
        out << "(at most " << plan.upperBound << ")\n";
    return ExitOk;
}

} // namespace pv::interchange
