#include "data/Catalogue.h"

#include "data/CatalogueUpdate.h"
#include "data/SafeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pv {

namespace {
QString g_userCatalogue;
}

QString cataloguePath(const QString &applicationFolder)
{
    if (!g_userCatalogue.isEmpty())
        return g_userCatalogue;
    return applicationFolder + QDir::separator() + QLatin1String(kCatalogueFileName);
}

bool useUserCatalogue(const QString &applicationFolder, const QString &userFolder, QString *error)
{
    g_userCatalogue.clear();
    if (userFolder.isEmpty())
        return true;
    const QString name = QLatin1String(kCatalogueFileName);
    const QString target = QDir(userFolder).filePath(name);
    g_userCatalogue = target;
    // Whatever is there is the user's, edited or not: it is never replaced.
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        return true;

    const QString bundled = bundledCataloguePath(applicationFolder);
    const QString shown = QDir::toNativeSeparators(target);
    const auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("Your own copy of the catalogue could not be made in %1: %2").arg(shown, why);
        return false;
    };
    if (!QFileInfo(bundled).isFile())
        return fail(QStringLiteral("the catalogue that comes with the program, %1, is missing.")
                        .arg(QDir::toNativeSeparators(bundled)));
    if (!QDir().mkpath(userFolder))
        return fail(QStringLiteral("the folder cannot be created."));
    // Copied under another name and renamed, so a copy cut short (a full
    // disk) is never taken for the catalogue at the next start.
    // The copy is the user's to write, and no more open than the bundled
    // file or the user's umask allow.
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    QString why;
    if (!safefiles::copyToNew(bundled, part, safefiles::permissionsLike(bundled) | 0600u, &why))
        return fail(why + QLatin1Char('.'));
    if (!QFile::rename(part, target)) {
        QFile::remove(part);
        return fail(QStringLiteral("the copy could not be put in place."));
    }
    return true;
}

const QStringList &glassNames()
{
    static const QStringList names = {
        QStringLiteral("Cocktail"),       QStringLiteral("Collins"),         QStringLiteral("Shot"),
        QStringLiteral("Highball"),       QStringLiteral("Old-Fashioned"),   QStringLiteral("Beer Mug"),
        QStringLiteral("Beer Pilsner"),   QStringLiteral("Irish Coffee"),    QStringLiteral("Pousse Cafe"),
        QStringLiteral("Parfait"),        QStringLiteral("Red Wine"),        QStringLiteral("White Wine"),
        QStringLiteral("Sherry"),         QStringLiteral("Champagne Flute"), QStringLiteral("Brandy Snifter"),
        QStringLiteral("Pony"),           QStringLiteral("Whiskey Sour"),    QStringLiteral("Punch Cup"),
        QStringLiteral("Coffee Mug"),     QStringLiteral("Goblet"),
    };
    return names;
}

const std::array<Category, 16> &categories()
{
    static const std::array<Category, 16> list = {{
        {"Aperitifs", "Aperitifs"},
        {"Beer", "Beer"},
        {"Bourbon", "Bourbon"},
        {"Brandy", "Brandy"},
        {"Cordials", "Cordials"},
        {"Gin", "Gin"},
        {"Hot Drinks", "HotDrinks"},
        {"Non-Alcoholic", "NonAlcoholic"},
        {"Punch", "Punch"},
        {"Rum", "Rum"},
        {"Scotch", "Scotch"},
        {"Tequila", "Tequila"},
        {"Tropical", "Tropical"},
        {"Vodka", "Vodka"},
        {"Whiskey", "Whiskey"},
        {"Wine", "Wine"},
    }};
    return list;
}

QStringList drinkColumns()
{
    QStringList c = {QStringLiteral("DrinkName"), QStringLiteral("Glass"),     QStringLiteral("Category1"),
                     QStringLiteral("Catagory2"), QStringLiteral("Category3"), QStringLiteral("Directions")};
    for (int i = 1; i <= 10; ++i)
        c << QStringLiteral("Ing%1").arg(i);
    for (int i = 1; i <= 10; ++i)
        c << QStringLiteral("Qty%1").arg(i);
    return c;
}

const std::array<CollectionTable, 9> &collectionTables()
{
    static const std::array<CollectionTable, 9> list = {{
        {"cardgames", "name", "instructions", false},
        {"dicegames", "name", "instructions", false},
        {"coingames", "name", "instructions", false},
        {"mediagames", "name", "instructions", false},
        {"vocalgames", "name", "instructions", false},
        {"boardgames", "name", "instructions", false},
        {"joke", "ID", "joke", true},
        {"Toasting", "Cat", "Toasts", false},
        {"pickuplines", "ID", "line", true},
    }};
    return list;
}

} // namespace pv
