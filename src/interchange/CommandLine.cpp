#include "interchange/CommandLine.h"

#include "data/Catalogue.h"
#include "interchange/Interchange.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <new>

namespace pv::interchange {

namespace {

const QStringList kOptions = {
    QStringLiteral("--export"),       QStringLiteral("--import"),    QStringLiteral("--format"),
    QStringLiteral("--on-duplicate"), QStringLiteral("--catalogue"), QStringLiteral("--collections"),
    QStringLiteral("--version"),      QStringLiteral("--help"),      QStringLiteral("-h")};

QString usage()
{
    return QStringLiteral("Usage:\n"
                          "  pourvale                      open the windows\n"
                          "  pourvale --export FILE [--format json|csv|jsonld] [--collections] [--catalogue PATH]\n"
                          "  pourvale --import FILE [--on-duplicate skip|replace|keep-both] [--catalogue PATH]\n"
                          "  pourvale --version\n"
                          "  pourvale --help\n"
                          "\n"
                          "--export writes every drink of the catalogue to FILE. The format is taken from\n"
                          "  --format, else from FILE's suffix (.csv, .jsonld), else JSON. --collections\n"
                          "  adds the nine collection tables (JSON only). A FILE that is a link, a folder,\n"
                          "  a device or a pipe, or the catalogue itself, is refused.\n"
                          "--import adds the drinks of FILE (JSON, CSV or JSON-LD, told by its content) to\n"
                          "  the catalogue in one transaction. A drink that breaks the catalogue's rules\n"
                          "  refuses the whole file and nothing is imported. A duplicate (the same name in\n"
                          "  any case, accents folded) is skipped unless --on-duplicate says otherwise;\n"
                          "  keep-both imports it as \"Name (2)\". A catalogue PATH that does not exist yet\n"
                          "  is created. A FILE over 256 MB is refused.\n"
                          "--catalogue names the catalogue file; without it, pv.mdb beside the program.\n"
                          "\n"
                          "Exit codes: 0 done, 1 input refused or the work failed, 2 wrong usage.\n");
}

struct Options {
    QString exportFile;
    QString importFile;
    QString format;
    QString onDuplicate;
    QString catalogue;
    bool collections = false;
    bool help = false;
    bool version = false;
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
        else if (a == QLatin1String("--collections"))
            o.collections = true;
        else if (a == QLatin1String("--help") || a == QLatin1String("-h"))
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
    if (o.exportFile.isEmpty() == o.importFile.isEmpty())
        return QStringLiteral("give either --export FILE or --import FILE");
    if (!o.format.isEmpty() && o.exportFile.isEmpty())
        return QStringLiteral("--format belongs to --export");
    if (o.collections && o.exportFile.isEmpty())
        return QStringLiteral("--collections belongs to --export");
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

    ReadResult read = readDrinkFile(o.importFile);
    if (!read.error.isEmpty()) {
        err << "pourvale: " << o.importFile << ": " << read.error << '\n';
        return ExitRefused;
    }
    // Without a preview to show them, refusals stop the whole import.
    QStringList refusals = read.collectionRefusals;
    for (const Entry &e : read.entries)
        if (!e.refusal.isEmpty())
            refusals << e.where + QStringLiteral(": ") + e.refusal;
    if (!refusals.isEmpty()) {
        for (const QString &r : refusals)
            err << "pourvale: " << o.importFile << ": " << r << '\n';
        err << QStringLiteral("pourvale: refused %1; nothing was imported.\n").arg(refusals.size());
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
    return ExitOk;
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
        return o.exportFile.isEmpty() ? runImport(o, catalogue, err) : runExport(o, catalogue, err);
    } catch (const std::bad_alloc &) {
        err << "pourvale: there is not enough memory to finish; nothing was written.\n";
    } catch (const std::exception &e) {
        err << "pourvale: " << QString::fromUtf8(e.what()) << '\n';
    }
    return ExitRefused;
}

} // namespace pv::interchange
