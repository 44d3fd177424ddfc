#pragma once

#include <QString>
#include <QStringList>

#include <functional>

struct sqlite3;

// A catalogue is data, whoever wrote it. Every connection the program opens
// on one goes through secure(): what the file itself defines (stored queries,
// triggers) never changes data, and every statement has a bound on its work.
namespace pv::guard {

// What a catalogue carries beyond the designed schema.
struct Findings {
    QStringList notTables;       // drinklst or a collection table that is a view or a virtual table
    QStringList foreignTriggers; // triggers the program did not make, or made and since altered
    QStringList alteredQueries;  // stored queries of the sixteen names whose text is not the program's
    bool clean() const { return notTables.isEmpty() && foreignTriggers.isEmpty() && alteredQueries.isEmpty(); }
};

// Bounds and switches on one connection: defensive mode, schema code treated
// as untrusted, an authorizer, a work bound per statement, a value size bound.
void protect(sqlite3 *db);

Findings inspect(sqlite3 *db);

// Throws DataError(ErrNotCatalogue) for a path that is there and is not an
// ordinary file (or a link to one): a pipe would be waited on for ever, and a
// device holds no catalogue. Called before a file is opened read-only, which
// would wait on a pipe, and by secure().
void requireOrdinaryFile(const QString &path);

// protect() and inspect(); throws DataError(ErrNotTable) for a view in the
// place of a table (nothing has been written then), switches the
// connection's triggers off when the file carries foreign ones, and tells the
// user once per file about what it set aside.
void secure(sqlite3 *db, const QString &path);

// Called before the program writes: a trigger that another program added
// since the file was opened is set aside as well (and told).
void beforeWrite(sqlite3 *db);

// True when secure() switched this connection's triggers off.
bool triggersOff(sqlite3 *db);

// After the program itself wrote `table` (row `rowid`, inserted or not) on a
// connection without triggers, does what its own triggers would have done.
void replayOwnTriggers(sqlite3 *db, const QString &table, qint64 rowid, bool inserted);

// The program's own text of a stored query, or empty for other names.
QString designedQuery(const QString &name);

// Statements that pass this many steps of the engine's machine are stopped.
qint64 stepBudget();
void setStepBudget(qint64 steps);

// Told once per file; without a handler the notice goes to standard error.
void setNoticeHandler(std::function<void(const QString &)> handler);
QString noticeText(const QString &path, const Findings &f);
// Forgets which files were told, so a test can see the notice again.
void forgetNotices();

// Tests that inject faults with triggers of their own name them here; the
// program itself never does.
void trustTriggersForTests(const QStringList &names);

} // namespace pv::guard
