#pragma once

#include <QList>
#include <QString>

struct sqlite3;

namespace pv {

// The bundled catalogue lies beside the program under this name; the user's
// own catalogue is never replaced by it, only merged with it.
inline constexpr const char *kBundledCatalogueFileName = "pv-bundled.mdb";
QString bundledCataloguePath(const QString &applicationFolder);

// One row as a bundle shipped it: which table, the row's identity within the
// table and a fingerprint of every value it held.
struct ShippedRow {
    QString version;
    QString table;
    QString key;
    QString fingerprint;
};

// Reads the identity and fingerprint of every row of the ten tables.
// Throws std::runtime_error.
QList<ShippedRow> fingerprintRows(sqlite3 *db, const QString &version);

// Writes the record of what a bundle ships (its own rows, plus the rows of
// earlier versions in `history`) into the pv_ tables of a catalogue being
// built. Throws std::runtime_error.
void recordShipped(sqlite3 *db, const QString &version, const QString &previousVersion,
                   const QList<ShippedRow> &history);

// Reads and writes the history files kept with the seed: one line per row,
// "table<TAB>key<TAB>fingerprint".
QList<ShippedRow> parseShippedHistory(const QString &version, const QString &text);
QString formatShippedRows(const QList<ShippedRow> &rows);

struct CatalogueMergeResult {
    bool merged = false; // the user's catalogue was changed and recorded
    QString error;       // why nothing was merged, when something went wrong
    QString backupPath;
    int recipesUpdated = 0;
    int recipesAdded = 0;
    int recipesRemoved = 0; // retired by the bundle, never touched by the user
    int recipesKept = 0;    // edited by the user, left as they are
    int otherUpdated = 0;   // the same for jokes, toasts, lines and games
    int otherAdded = 0;
    int otherRemoved = 0;
    int otherKept = 0;

    // The one message that tells the user what changed; empty when nothing did.
    QString message() const;
};

// Brings a newer bundled catalogue into the user's: rows the user never
// changed follow the bundle, rows the bundle adds are added, and whatever the
// user edited, added or deleted stays so. Backs the user's file up first and
// does the whole merge in one transaction; does nothing when the user's
// catalogue already has this bundle's content, or when either file is missing.
CatalogueMergeResult mergeBundledCatalogue(const QString &bundledPath, const QString &userPath);

} // namespace pv
