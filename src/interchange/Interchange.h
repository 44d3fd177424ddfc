#pragma once

#include "data/CatalogueBuilder.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <QByteArrayView>

#include <array>
#include <functional>
#include <memory>

class QIODevice;

namespace pv::interchange {

// The file formats drinks travel in. Html is read only: a saved web page
// with schema.org Recipe data in it.
enum class Format { Json, Csv, JsonLd, Html };

QString formatName(Format format); // "json", "csv", "jsonld", "html"
bool formatFromName(const QString &name, Format *format);
// The format a file name's suffix suggests; JSON when it suggests none.
Format formatForFileName(const QString &fileName);
// The format a file's content is in: CSV unless it opens as JSON or as a
// web page, and JSON-LD when that JSON speaks schema.org.
Format detectFormat(const QByteArray &content);

// Called now and then with the work done and the work in all; returning
// false cancels.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// ---------------------------------------------------------------- export

struct ExportOptions {
    Format format = Format::Json;
    // What to export: a table, a stored query, or a SELECT over drinklst, as
    // the main window's data control names it.
    QString rowSource = QStringLiteral("drinklst");
    // The nine collection tables too (JSON only).
    bool collections = false;
};

struct ExportResult {
    bool ok = false;
    bool cancelled = false;
    int drinks = 0;
    QString error;
};

// Writes the drinks of `options.rowSource` to `fileName` through a temporary
// file: a failed or cancelled export leaves no file, and an existing file
// as it was.
ExportResult exportDrinks(const QString &cataloguePath, const QString &fileName, const ExportOptions &options,
                          const Progress &progress = {});

// ---------------------------------------------------------------- import

// One drink read from a file, with where it stood and, when it cannot be
// imported, why.
struct Entry {
    DrinkSeed drink;
    QString where;   // "line 12", "entry 3"
    QString refusal; // empty when the catalogue can hold the drink
    QStringList notes; // what was changed to make it fit ("2 ingredients past the tenth ...")
};

// What a drink the catalogue cannot hold at all looks like: no name, more
// than ten ingredients or three categories. Anything else a row can hold
// is kept as written. Empty when the drink can be held.
QString importRefusal(const DrinkSeed &drink);

// A name the program knows that a glass or category written otherwise
// probably means ("Rocks" for "Old-Fashioned"). Offered, never applied
// unasked.
struct Offer {
    enum Field { Glass, Category };
    Field field = Glass;
    QString from; // as the file writes it
    QString to;   // one of the twenty glasses or sixteen categories
    int drinks = 0;
    bool accepted = false;
    QString text() const; // "Use the glass 'Old-Fashioned' for 'Rocks' (2 drinks)"
};
// The known name `text` stands for, or an empty text.
QString glassSynonym(const QString &text);
QString categorySynonym(const QString &text);

struct ReadResult {
    QList<Entry> entries;
    QMap<QString, QList<CollectionRow>> collections;
    QStringList collectionRefusals;
    // Set when the file as a whole cannot be read; nothing is imported then.
    QString error;
};

// Import files are read whole, so they are held to a size: four times and
// more a 100,000-drink export.
inline constexpr qint64 kMaxImportBytes = qint64(256) << 20;
// A file holds at most this many drinks, whatever its size: a drink costs
// memory while it is read however few bytes it takes.
inline constexpr int kMaxImportDrinks = 1'000'000;

// Reads drinks in `format` and holds each to the catalogue's rules.
ReadResult readDrinks(const QByteArray &content, Format format);
// The same for a file; the format is detected from its content.
ReadResult readDrinkFile(const QString &fileName);

enum class OnDuplicate { Skip, Replace, KeepBoth };
bool duplicateChoiceFromName(const QString &name, OnDuplicate *choice);

struct PlanItem {
    enum Status { New, Duplicate, Refused };
    Entry entry;
    Status status = New;
    OnDuplicate choice = OnDuplicate::Skip;
    QString duplicateOf; // the name it clashes with
};

struct ImportPlan {
    QList<PlanItem> items;
    QMap<QString, QList<CollectionRow>> collections;
    QStringList collectionRefusals;
    QString error; // the catalogue or the file could not be read
    // "3 drinks use a glass with no picture: Rocks (2), Tiki Mug"
    QStringList notes;
    QList<Offer> offers;

    int count(PlanItem::Status status) const;
    int refusals() const; // drinks and collection rows
    void chooseForAll(OnDuplicate choice);
    // Writes the accepted offers into the drinks and lists the notes anew.
    void applyOffers();
};

// Sorts what was read into new drinks, duplicates of drinks in the
// catalogue (same name in any case, accents folded) and refusals. Drinks
// of one file are not duplicates of each other: the n-th drink of a name in
// the file meets the n-th drink of that name in the catalogue, so a backup
// restores onto itself drink for drink.
ImportPlan planImport(const QString &cataloguePath, ReadResult read);

struct ImportOutcome {
    bool ok = false;
    bool cancelled = false;
    QString error;
    int added = 0; // new drinks and kept-both copies
    int replaced = 0;
    int skipped = 0;
    int collectionRows = 0;
    QStringList refusals; // "line 12: the drink has no name"
    QStringList notes;    // the plan's notes

    // "Imported 37 drinks; skipped 3 duplicates; refused 1 (line 12: ...)"
    QString summary() const;
};

// Applies the plan in one transaction: a fault or a cancel leaves the
// catalogue exactly as it was. Refused drinks are left out and reported.
ImportOutcome applyImport(const QString &cataloguePath, const ImportPlan &plan, const Progress &progress = {});

// Creates an empty catalogue (the ten tables and the sixteen stored queries)
// at `path`. Throws std::runtime_error.
void createEmptyCatalogue(const QString &path);

// ------------------------------------------------------ format internals

namespace detail {
// The content without a byte-order mark, or an empty view and `error` set
// when it is empty or not UTF-8.
QByteArrayView checkUtf8(const QByteArray &content, QString *error);
// False, with `error` set, for JSON with more values than are read from one
// file (checked before it is parsed: the parser's memory is many times the text).
bool jsonWithinBounds(QByteArrayView text, QString *error);
ReadResult readJson(QByteArrayView text);
ReadResult readJsonLd(QByteArrayView text);
ReadResult readCsv(const QString &text);
// Reads the device a piece at a time; the file is never held whole.
ReadResult readCsv(QIODevice &device);
ReadResult readHtml(QByteArrayView bytes);
// The JSON-LD reader's work on parsed data, shared with the web-page reader.
void readRecipeNodes(const QList<QJsonObject> &recipes, bool fromPage, ReadResult &out);
void collectRecipeNodes(const QJsonValue &v, QList<QJsonObject> &out, int depth);
// A piece of a page as plain text: tags dropped, entities read, white space
// made single.
QString htmlToText(const QString &html);
// The known glass a text names ("strain into a chilled coupe"), or empty.
QString glassInText(const QString &text);
// One drinklst row in drinkColumns() order, as UTF-8 text.
using Row = std::array<QByteArrayView, 26>;
enum Column { Name = 0, Glass = 1, Cat1 = 2, Directions = 5, Ing1 = 6, Qty1 = 16 };

// Writers append the drinks one at a time.
class Writer {
public:
    virtual ~Writer() = default;
    virtual void begin(QByteArray &out) = 0;
    virtual void drink(QByteArray &out, const Row &row, bool first) = 0;
    // Table name -> rows of (short column, long column); JSON only.
    virtual void collections(QByteArray &, const QMap<QString, QList<std::array<QByteArray, 2>>> &) {}
    virtual void end(QByteArray &out) = 0;
};
std::unique_ptr<Writer> makeWriter(Format format, bool single, bool withCollections);
void appendJsonString(QByteArray &out, QByteArrayView utf8);
} // namespace detail

} // namespace pv::interchange
