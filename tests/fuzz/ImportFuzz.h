// Shared by the importer fuzz targets: any bytes give an error or drinks,
// never a crash, and every drink the catalogue can hold comes back unchanged
// through our own writer of the same format.
#pragma once

#include "data/Catalogue.h"
#include "interchange/Interchange.h"

#include <cstdio>
#include <cstdlib>

namespace pvfuzz {

using namespace pv::interchange;

// Names the broken rule's line, so that a crash report says which one it was.
inline void check(bool ok, int line = __builtin_LINE())
{
    if (!ok) {
        std::fprintf(stderr, "ImportFuzz.h:%d: check failed\n", line);
        std::abort();
    }
}

// Unfilled slots at the end do not count; text is compared as UTF-8 keeps it.
inline QStringList normalised(const pv::DrinkSeed &d)
{
    auto utf8 = [](const QString &s) { return QString::fromUtf8(s.toUtf8()); };
    QStringList out = {utf8(d.name), utf8(d.glass), utf8(d.directions)};
    QStringList cats;
    for (const QString &c : d.categories)
        cats << utf8(c);
    while (!cats.isEmpty() && cats.last().isEmpty())
        cats.removeLast();
    out << cats.join(QChar(0x1F));
    QStringList ings;
    for (const auto &i : d.ingredients)
        ings << utf8(i.first) + QChar(0x1E) + utf8(i.second);
    while (!ings.isEmpty() && ings.last() == QString(QChar(0x1E)))
        ings.removeLast();
    out << ings.join(QChar(0x1F));
    return out;
}

inline int fuzzImport(const uint8_t *data, size_t size, Format format)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const ReadResult r = readDrinks(bytes, format);
    if (!r.error.isEmpty()) {
        check(r.entries.isEmpty());
        return 0;
    }
    QList<const pv::DrinkSeed *> passed;
    for (const Entry &e : r.entries) {
        if (!e.refusal.isEmpty())
            continue;
        // What a row can hold is taken as written: a name (spaces are one), at most ten
        // ingredients and three categories.
        check(!e.drink.name.isEmpty());
        check(importRefusal(e.drink).isEmpty());
        passed << &e.drink;
    }
    if (format == Format::JsonLd || passed.isEmpty())
        return 0;

    QByteArray out;
    auto writer = detail::makeWriter(format, passed.size() == 1, false);
    writer->begin(out);
    for (const pv::DrinkSeed *d : passed) {
        std::array<QByteArray, 26> cells;
        cells[detail::Name] = d->name.toUtf8();
        cells[detail::Glass] = d->glass.toUtf8();
        cells[detail::Directions] = d->directions.toUtf8();
        for (int i = 0; i < 3; ++i)
            cells[size_t(detail::Cat1 + i)] = d->categories.value(i).toUtf8();
        for (int i = 0; i < 10 && i < d->ingredients.size(); ++i) {
            cells[size_t(detail::Qty1 + i)] = d->ingredients[i].first.toUtf8();
            cells[size_t(detail::Ing1 + i)] = d->ingredients[i].second.toUtf8();
        }
        detail::Row row;
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = cells[i];
        writer->drink(out, row, d == passed.first());
    }
    writer->end(out);
    const ReadResult back = readDrinks(out, format);
    check(back.error.isEmpty() && back.entries.size() == passed.size());
    for (qsizetype i = 0; i < passed.size(); ++i) {
        check(back.entries[i].refusal.isEmpty());
        check(normalised(back.entries[i].drink) == normalised(*passed[i]));
    }
    return 0;
}

} // namespace pvfuzz
