// mkcatalogue: checks the catalogue seed and writes pv.mdb from it.
//   mkcatalogue [--if-missing] [--check-only] [--version V] SEED_DIR OUTPUT_FILE
//   mkcatalogue --fingerprints CATALOGUE   (what a built catalogue ships, as a history file)
//   mkcatalogue --merge BUNDLED USER       (brings a user's catalogue up to a newer bundle)
#include "data/CatalogueBuilder.h"
#include "data/DrinkIndex.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <sqlite3.h>

#include <cstdio>

namespace {

int printFingerprints(const QString &path)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "mkcatalogue: cannot open %s\n", qPrintable(path));
        sqlite3_close(db);
        return 1;
    }
    int rc = 0;
    try {
        std::fputs(pv::formatShippedRows(pv::fingerprintRows(db, QString())).toUtf8().constData(), stdout);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "mkcatalogue: %s\n", e.what());
        rc = 1;
    }
    sqlite3_close(db);
    return rc;
}

int merge(const QString &bundled, const QString &user)
{
    const pv::CatalogueMergeResult r = pv::mergeBundledCatalogue(bundled, user);
    if (!r.error.isEmpty()) {
        std::fprintf(stderr, "mkcatalogue: %s was not brought up to date: %s\n", qPrintable(user), qPrintable(r.error));
        return 1;
    }
    if (r.merged && !r.message().isEmpty())
        std::printf("%s\n(a copy of the catalogue as it was is in %s)\n", qPrintable(r.message()),
                    qPrintable(r.backupPath));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("--fingerprints"))
        return printFingerprints(args[1]);
    if (args.size() == 3 && args[0] == QLatin1String("--merge"))
        return merge(args[1], args[2]);
    const bool ifMissing = args.removeAll(QStringLiteral("--if-missing")) > 0;
    const bool checkOnly = args.removeAll(QStringLiteral("--check-only")) > 0;
    QString version;
    const qsizetype v = args.indexOf(QStringLiteral("--version"));
    if (v >= 0 && v + 1 < args.size()) {
        version = args[v + 1];
        args.remove(v, 2);
    }
    if (args.size() != (checkOnly ? 1 : 2)) {
        std::fprintf(stderr, "usage: mkcatalogue [--if-missing] [--check-only] [--version V] SEED_DIR [OUTPUT_FILE]\n"
                             "       mkcatalogue --fingerprints CATALOGUE\n"
                             "       mkcatalogue --merge BUNDLED_CATALOGUE USER_CATALOGUE\n");
        return 2;
    }

    pv::CatalogueSeed seed;
    seed.loadDirectory(args[0]);
    if (!version.isEmpty())
        seed.version = version;
    const QList<pv::SeedProblem> problems = seed.check();
    for (const pv::SeedProblem &p : problems)
        std::fprintf(stderr, "%s\n", qPrintable(p.toString()));
    if (!problems.isEmpty()) {
        std::fprintf(stderr, "mkcatalogue: %d problem(s) in the seed; no catalogue written\n", int(problems.size()));
        return 1;
    }
    if (checkOnly)
        return 0;

    const QString out = args[1];
    if (ifMissing && QFileInfo::exists(out)) {
        std::printf("mkcatalogue: %s exists and is kept\n", qPrintable(out));
        return 0;
    }
    try {
        seed.write(out);
        // Shipped with its search index, so that no first search builds it.
        if (!pv::drinkindex::syncFile(out))
            std::fprintf(stderr, "mkcatalogue: %s was written without its search index\n", qPrintable(out));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "mkcatalogue: %s\n", e.what());
        return 1;
    }
    std::printf("mkcatalogue: wrote %s (%d drinks)\n", qPrintable(out), int(seed.drinks.size()));
    return 0;
}
