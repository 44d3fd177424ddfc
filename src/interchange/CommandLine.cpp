#include "interchange/CommandLine.h"

#include "data/Catalogue.h"
#include "interchange/BarCommands.h"
#include "interchange/Interchange.h"
#include "interchange/RecipeCommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <new>

namespace pv::interchange {

namespace {

const QStringList kOptions = {
    QStringLiteral("--export"),       QStringLiteral("--import"),    QStringLiteral("--format"),
    QStringLiteral("--on-duplicate"), QStringLiteral("--catalogue"), QStringLiteral("--collections"),
    QStringLiteral("--strict"),       QStringLiteral("--version"),   QStringLiteral("--help"),
    QStringLiteral("-h"),
    QStringLiteral("--can-make"),     QStringLiteral("--plan"),      QStringLiteral("--have"),
    QStringLiteral("--exclude"),      QStringLiteral("--must"),      QStringLiteral("--count-as"),
    QStringLiteral("--substitutes"),  QStringLiteral("--garnishes"), QStringLiteral("--seconds"),
    QStringLiteral("--recipe"),       QStringLiteral("--servings"),  QStringLiteral("--units")};

QString usage()
{
    return QStringLiteral(
        "Usage:\n"
        "  pourvale                      open the windows\n"
        "  pourvale --export FILE [--format json|csv|jsonld] [--collections] [--catalogue PATH]\n"
        "  pourvale --import FILE [--on-duplicate skip|replace|keep-both] [--strict] [--catalogue PATH]\n"
        "  pourvale --can-make --have \"A; B; C\" [--substitutes] [--garnishes] [--count-as \"X=Y; ...\"]\n"
        "           [--catalogue PATH]\n"
        "  pourvale --plan N [--have \"...\"] [--exclude \"...\"] [--must \"DRINK; ...\"] [--substitutes]\n"
        "           [--garnishes] [--count-as \"X=Y; ...\"] [--seconds S] [--catalogue PATH]\n"
        "  pourvale --recipe NAME [--servings N] [--units oz|ml|cl] [--catalogue PATH]\n"
        "  pourvale --version\n"
        "  pourvale --help\n"
        "\n"
        "--export writes every drink of the catalogue to FILE. The format is taken from\n"
        "  --format, else from FILE's suffix (.csv, .jsonld), else JSON. --collections\n"
        "  adds the nine collection tables (JSON only). A FILE that is a link, a folder,\n"
        "  a device or a pipe, or the catalogue itself, is refused.\n"
        "--import adds the drinks of FILE (JSON, CSV, JSON-LD or a saved web page with a\n"
        "  schema.org Recipe, told by its content) to the catalogue in one transaction,\n"
        "  as File > Import does. Every drink the catalogue can hold is imported; a drink\n"
        "  it cannot hold (one without a name, or with more than ten ingredients) is\n"
        "  refused and reported with its line or entry, and the exit code is then 1.\n"
        "  Glasses and categories the program has no picture or list for are kept as\n"
        "  written and reported as notes. --strict imports nothing when any drink is\n"
        "  refused. A duplicate (a drink of the same name in the catalogue, in any case,\n"
        "  accents folded) is skipped unless --on-duplicate says otherwise; keep-both\n"
        "  imports it as \"Name (2)\". A catalogue PATH that does not exist yet is\n"
        "  created. A FILE over 256 MB or of over 1,000,000 drinks is refused.\n"
        "--recipe prints the recipe card of the drink named NAME as plain text: the name,\n"
        "  one line for each amount and ingredient, the directions, and the estimated\n"
        "  strength (\"NN% ABV\" with the volume of a glass). Case and accents do not\n"
        "  count; an exact name is taken first, else the first drink in the catalogue's\n"
        "  order whose name holds NAME, and it says so when several match. --servings\n"
        "  scales the amounts (1 to 100); --units converts volumes to oz, ml or cl,\n"
        "  rounded to what a bartender measures.\n"
        "--can-make prints the drinks the shelf of --have makes, one a line, in the\n"
        "  catalogue's order, by the rules of My Bar. Pantry staples are at hand.\n"
        "--plan prints the N bottles to add to that shelf that make the most drinks,\n"
        "  one a line, then \"total: M drinks (optimal)\", or \"(at most K)\" when the\n"
        "  search did not prove the best within --seconds (1.9). M counts the shelf and\n"
        "  the bottles together. --exclude names bottles never to buy, --must drinks\n"
        "  the plan has to make.\n"
        "  Ingredients are named as in My Bar or as the recipes write them, separated\n"
        "  by \";\"; case and accents do not count. --substitutes counts close\n"
        "  substitutes, --garnishes counts garnishes, and --count-as \"X=Y\" counts\n"
        "  having X as having Y.\n"
        "--catalogue names the catalogue file; without it, pv.mdb beside the program.\n"
        "  A pipe or a device is refused before it is opened.\n"
        "\n"
        "Exit codes: 0 done, 1 a drink or the file refused, or the work failed, 2 wrong\n"
        "  usage (an unknown ingredient or drink among them).\n");
}

struct Options {
    QString exportFile;
    QString importFile;
    QString format;
    QString onDuplicate;
    QString catalogue;
    QString recipe;
    QString servings;
    QString units;
    bool collections = false;
    bool strict = false;
    bool help = false;
    bool version = false;
    BarArguments bar;
    QString plan, seconds;
    bool barOnly = false; // an option that belongs to --can-make or --plan
};

// Returns an error text, or an empty one when the arguments make sense.
QString parse(const QStringList &args, Options &o)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        auto value = [&](QString &target) -> QString {
            if (i + 1 >= args.size() || args[i + 1].isEmpty())
                return QStringLiteral("%1 needs a value").arg(a);
            if (!target.isEmpty())
                return QStringLiteral("%1 is given twice").arg(a);
            target = args[++i];
            return QString();
        };
        // A list may be empty: an empty shelf, nothing excluded.
        auto list = [&](QString &target) -> QString {
            o.barOnly = true;
            if (i + 1 >= args.size())
                return QStringLiteral("%1 needs a value").arg(a);
            target = args[++i];
            return QString();
        };
        QString error;
        if (a == QLatin1String("--export"))
            error = value(o.exportFile);
        else if (a == QLatin1String("--import"))
            error = value(o.importFile);
        else if (a == QLatin1String("--format"))
            error = value(o.format);
        else if (a == QLatin1String("--on-duplicate"))
            error = value(o.onDuplicate);
        else if (a == QLatin1String("--catalogue"))
            error = value(o.catalogue);
        else if (a == QLatin1String("--recipe"))
            error = value(o.recipe);
        else if (a == QLatin1String("--servings"))
            error = value(o.servings);
        else if (a == QLatin1String("--units"))
            error = value(o.units);
        else if (a == QLatin1String("--collections"))
            o.collections = true;
        else if (a == QLatin1String("--strict"))
            o.strict = true;
        else if (a == QLatin1String("--can-make"))
            o.bar.canMake = true;
        else if (a == QLatin1String("--plan"))
            error = value(o.plan);
        else if (a == QLatin1String("--have"))
            error = list(o.bar.have);
        else if (a == QLatin1String("--exclude"))
            error = list(o.bar.exclude);
        else if (a == QLatin1String("--must"))
            error = list(o.bar.must);
        else if (a == QLatin1String("--count-as"))
            error = list(o.bar.countAs);
        else if (a == QLatin1String("--seconds")) {
            error = value(o.seconds);
            o.barOnly = true;
        } else if (a == QLatin1String("--substitutes")) {
            o.bar.substitutes = true;
            o.barOnly = true;
        } else if (a == QLatin1String("--garnishes")) {
            o.bar.garnishes = true;
            o.barOnly = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            o.help = true;
        else if (a == QLatin1String("--version"))
            o.version = true;
        else
            error = QStringLiteral("unknown argument '%1'").arg(a);
        if (!error.isEmpty())
            return error;
    }
    if (o.help || o.version)
        return QString();
    const int tasks = int(!o.exportFile.isEmpty()) + int(!o.importFile.isEmpty()) + int(!o.recipe.isEmpty()) +
                      int(o.bar.canMake) + int(!o.plan.isEmpty());
    if (tasks != 1 && !o.bar.canMake && o.plan.isEmpty() && !o.barOnly) {
        if (!o.recipe.isEmpty())
            return QStringLiteral("--recipe goes without --export and --import");
        if (o.strict)
            return QStringLiteral("--strict belongs to --import");
        if (!o.servings.isEmpty() || !o.units.isEmpty())
            return QStringLiteral("--servings and --units belong to --recipe");
        return QStringLiteral("give either --export FILE or --import FILE (or --recipe NAME)");
    }
    if (tasks != 1)
        return QStringLiteral("give one of --export FILE, --import FILE, --recipe NAME, --can-make or --plan N");
    if (!o.plan.isEmpty()) {
        bool ok = false;
        o.bar.plan = o.plan.toInt(&ok);
        if (!ok || o.bar.plan < 0 || o.bar.plan > 1000)
            return QStringLiteral("--plan takes a number of bottles from 0 to 1000, not '%1'").arg(o.plan);
    }
    if (!o.seconds.isEmpty()) {
        bool ok = false;
        o.bar.seconds = o.seconds.toDouble(&ok);
        if (!ok || !(o.bar.seconds > 0) || o.bar.seconds > 3600)
            return QStringLiteral("--seconds takes a time from 0 to 3600, not '%1'").arg(o.seconds);
    }
    if (o.barOnly && !o.bar.canMake && o.plan.isEmpty())
        return QStringLiteral("--have, --exclude, --must, --count-as, --seconds, --substitutes and --garnishes "
                              "belong to --can-make or --plan");
    if (o.bar.canMake && (!o.bar.exclude.isEmpty() || !o.bar.must.isEmpty() || !o.seconds.isEmpty()))
        return QStringLiteral("--exclude, --must and --seconds belong to --plan");
    if (o.bar.canMake || !o.plan.isEmpty()) {
        if (!o.servings.isEmpty() || !o.units.isEmpty())
            return QStringLiteral("--servings and --units belong to --recipe");
        return QString();
    }
    if (!o.recipe.isEmpty()) {
        bool ok = false;
        const int n = o.servings.isEmpty() ? 1 : o.servings.toInt(&ok);
        if (!o.servings.isEmpty() && (!ok || n < 1 || n > 100))
            return QStringLiteral("--servings must be a whole number from 1 to 100, not '%1'").arg(o.servings);
        UnitChoice u;
        if (!o.units.isEmpty() && (!unitChoiceFromName(o.units, &u) || u == UnitChoice::AsWritten))
            return QStringLiteral("--units must be oz, ml or cl, not '%1'").arg(o.units);
        return QString();
    }
    if (!o.servings.isEmpty() || !o.units.isEmpty())
        return QStringLiteral("--servings and --units belong to --recipe");
    if (!o.format.isEmpty() && o.exportFile.isEmpty())
        return QStringLiteral("--format belongs to --export");
    if (o.collections && o.exportFile.isEmpty())
        return QStringLiteral("--collections belongs to --export");
    if (o.strict && o.importFile.isEmpty())
        return QStringLiteral("--strict belongs to --import");
    if (!o.onDuplicate.isEmpty() && o.importFile.isEmpty())
        return QStringLiteral("--on-duplicate belongs to --import");
    Format f;
    if (!o.format.isEmpty() && !formatFromName(o.format, &f))
        return QStringLiteral("--format must be json, csv or jsonld, not '%1'").arg(o.format);
    OnDuplicate d;
    if (!o.onDuplicate.isEmpty() && !duplicateChoiceFromName(o.onDuplicate, &d))
        return QStringLiteral("--on-duplicate must be skip, replace or keep-both, not '%1'").arg(o.onDuplicate);
    return QString();
}

int runExport(const Options &o, const QString &catalogue, QTextStream &err)
{
    ExportOptions options;
    options.format = formatForFileName(o.exportFile);
    if (!o.format.isEmpty())
        formatFromName(o.format, &options.format);
    options.collections = o.collections;
    if (options.collections && options.format != Format::Json) {
        err << "pourvale: --collections needs the JSON format\n";
        return ExitUsage;
    }
    const ExportResult r = exportDrinks(catalogue, o.exportFile, options);
    if (!r.ok) {
        err << "pourvale: " << r.error << '\n';
        return ExitRefused;
    }
    err << QStringLiteral("Exported %1 drinks to %2.\n").arg(r.drinks).arg(o.exportFile);
    return ExitOk;
}

int runImport(const Options &o, const QString &catalogue, QTextStream &err)
{
    OnDuplicate choice = OnDuplicate::Skip;
    if (!o.onDuplicate.isEmpty())
        duplicateChoiceFromName(o.onDuplicate, &choice);

    // Said once, in words, before the file is read.
    const QFileInfo input(o.importFile);
    if (!input.exists() || input.isDir()) {
        err << "pourvale: " << o.importFile << (input.isDir() ? " is a folder, not a file of drinks.\n" : " does not exist.\n");
        return ExitRefused;
    }
    ReadResult read = readDrinkFile(o.importFile);
    if (!read.error.isEmpty()) {
        err << "pourvale: " << o.importFile << ": " << read.error << '\n';
        return ExitRefused;
    }
    // The window's rule: what the catalogue can hold is imported, each
    // refusal is reported. --strict asks for all or nothing.
    QStringList refusals;
    for (const Entry &e : read.entries)
        if (!e.refusal.isEmpty())
            refusals << e.where + QStringLiteral(": ") + e.refusal;
    refusals << read.collectionRefusals;
    for (const QString &r : refusals)
        err << "pourvale: " << o.importFile << ": " << r << '\n';
    if (o.strict && !refusals.isEmpty()) {
        err << QStringLiteral("pourvale: refused %1; nothing was imported (--strict).\n").arg(refusals.size());
        return ExitRefused;
    }

    bool created = false;
    if (!QFileInfo::exists(catalogue)) {
        try {
            createEmptyCatalogue(catalogue);
            created = true;
        } catch (const std::exception &e) {
            err << "pourvale: " << QString::fromUtf8(e.what()) << '\n';
            return ExitRefused;
        }
    }
    ImportPlan plan = planImport(catalogue, std::move(read));
    plan.chooseForAll(choice);
    const ImportOutcome outcome = applyImport(catalogue, plan);
    if (!outcome.ok) {
        if (created)
            QFile::remove(catalogue);
        err << "pourvale: " << outcome.error << '\n';
        return ExitRefused;
    }
    if (created)
        err << "Created the catalogue " << catalogue << ".\n";
    err << outcome.summary() << ".\n";
    // The command line asks nothing, so a likely meaning is only told.
    for (const Offer &offer : plan.offers)
        err << "Left as written; File > Import offers: " << offer.text() << ".\n";
    return refusals.isEmpty() ? ExitOk : ExitRefused;
}

} // namespace

bool wantsCommandLine(const QStringList &arguments)
{
    // The toolkit's own options keep opening the windows; any other long
    // option is ours, and a mistyped one is a usage error, not a window.
    static const QStringList toolkit = {QStringLiteral("platform"),
                                        QStringLiteral("platformpluginpath"),
                                        QStringLiteral("platformtheme"),
                                        QStringLiteral("plugin"),
                                        QStringLiteral("style"),
                                        QStringLiteral("stylesheet"),
                                        QStringLiteral("reverse"),
                                        QStringLiteral("session"),
                                        QStringLiteral("display"),
                                        QStringLiteral("geometry"),
                                        QStringLiteral("qwindowgeometry"),
                                        QStringLiteral("qwindowtitle"),
                                        QStringLiteral("qwindowicon"),
                                        QStringLiteral("widgetcount"),
                                        QStringLiteral("name"),
                                        QStringLiteral("title")};
    for (const QString &a : arguments) {
        if (kOptions.contains(a))
            return true;
        if (a.startsWith(QLatin1String("--")) && a.size() > 2 &&
            !toolkit.contains(a.mid(2).section(QLatin1Char('='), 0, 0)))
            return true;
    }
    return false;
}

int runCommandLine(const QStringList &arguments, const QString &applicationFolder, QTextStream &out, QTextStream &err)
{
    Options o;
    const QString error = parse(arguments, o);
    if (!error.isEmpty()) {
        err << "pourvale: " << error << "\n\n" << usage();
        return ExitUsage;
    }
    if (o.help) {
        out << usage();
        return ExitOk;
    }
    if (o.version) {
        out << "Pourvale " << PV_VERSION_TEXT << '\n';
        return ExitOk;
    }
    const QString catalogue = o.catalogue.isEmpty() ? cataloguePath(applicationFolder) : o.catalogue;
    try {
        if (QFileInfo(catalogue).isDir()) {
            err << "pourvale: " << catalogue << " is a folder, not a catalogue file.";
            if (!o.catalogue.isEmpty())
                err << " Give --catalogue the file itself, for example " << QDir(catalogue).filePath(QStringLiteral("pv.mdb"))
                    << '.';
            err << '\n';
            return ExitRefused;
        }
        // A pipe would be waited on for ever; a device holds no catalogue.
        if (const QFileInfo info(catalogue); info.exists() && !info.isFile()) {
            err << "pourvale: " << catalogue << " is not an ordinary file, so it is not opened as a catalogue.\n";
            return ExitRefused;
        }
        if (o.bar.canMake || o.bar.plan >= 0)
            return runBarCommand(o.bar, catalogue, out, err);
        if (!o.recipe.isEmpty()) {
            UnitChoice units = UnitChoice::AsWritten;
            if (!o.units.isEmpty())
                unitChoiceFromName(o.units, &units);
            return runRecipe(o.recipe, o.servings.isEmpty() ? 1 : o.servings.toInt(), units, catalogue, out, err);
        }
        return o.exportFile.isEmpty() ? runImport(o, catalogue, err) : runExport(o, catalogue, err);
    } catch (const std::bad_alloc &) {
        err << "pourvale: there is not enough memory to finish; nothing was written.\n";
    } catch (const std::exception &e) {
        err << "pourvale: " << QString::fromUtf8(e.what()) << '\n';
    }
    return ExitRefused;
}

} // namespace pv::interchange
