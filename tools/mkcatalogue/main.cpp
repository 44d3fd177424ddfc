// mkcatalogue: checks the catalogue seed and writes pv.mdb from it.
//   mkcatalogue [--if-missing] [--check-only] SEED_DIR OUTPUT_FILE
#include "CatalogueBuilder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool ifMissing = args.removeAll(QStringLiteral("--if-missing")) > 0;
    const bool checkOnly = args.removeAll(QStringLiteral("--check-only")) > 0;
    if (args.size() != (checkOnly ? 1 : 2)) {
        std::fprintf(stderr, "usage: mkcatalogue [--if-missing] [--check-only] SEED_DIR [OUTPUT_FILE]\n");
        return 2;
    }

    pv::CatalogueSeed seed;
    seed.loadDirectory(args[0]);
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
    } catch (const std::exception &e) {
        std::fprintf(stderr, "mkcatalogue: %s\n", e.what());
        return 1;
    }
    std::printf("mkcatalogue: wrote %s (%d drinks)\n", qPrintable(out), int(seed.drinks.size()));
    return 0;
}
