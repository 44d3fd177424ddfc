#pragma once

// Writes a catalogue of `rows` generated drinks (with the real schema and
// stored queries) for the benchmarks, with its search index as the program
// leaves a catalogue it writes, or without (`indexed` false).
#include "data/CatalogueBuilder.h"
#include "data/DrinkIndex.h"

#include <QFile>
#include <QString>

#include <sqlite3.h>

#include <random>

inline void writeBigCatalogue(const QString &path, int rows, bool indexed = true)
{
    QFile::remove(path);
    pv::CatalogueSeed seed;
    seed.write(path); // schema and stored queries, no rows
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO drinklst (DrinkName, Glass, Category1, Directions, Ing1, Qty1, Ing2, Qty2, "
                       "Ing3, Qty3) VALUES (?1, 'Cocktail', 'Gin', 'Shake with ice and strain into a chilled glass.', "
                       "'Gin', '2 oz', 'Fresh Lime Juice', '3/4 oz', 'Simple Syrup', '1/2 oz')",
                       -1, &st, nullptr);
    std::mt19937 rng(42);
    const char *words[] = {"Gin", "Sour", "Fizz", "Royal", "Blue", "Island", "Punch", "Smash", "Mule", "Sling",
                           "Cobbler", "Flip", "Rickey", "Julep", "Toddy", "Spritz"};
    for (int i = 0; i < rows; ++i) {
        const QByteArray name = QStringLiteral("%1 %2 %3")
                                    .arg(QLatin1String(words[rng() % 16]), QLatin1String(words[rng() % 16]))
                                    .arg(i)
                                    .toUtf8();
        sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    if (!indexed)
        pv::drinkindex::drop(db);
    sqlite3_close(db);
    if (indexed)
        pv::drinkindex::syncFile(path);
}

// The file's size in bytes.
inline qint64 fileBytes(const QString &path)
{
    return QFile(path).size();
}
