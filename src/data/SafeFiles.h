#pragma once

#include <QString>

#include <functional>

// Files the program creates beside a catalogue: made new (never through a
// link or over a file that is there), never more open than the file they
// copy or than the umask allows, and gone again when writing them fails.
namespace pv::safefiles {

// The permission bits of `like` (read and write bits only), or owner-only
// when it cannot be read. The umask is applied on top when a file is made.
unsigned permissionsLike(const QString &like);

// Creates `path`, which must not exist (a symbolic link there counts as
// existing), with `permissions`, and hands its descriptor to `write`. When
// `write` returns false or throws, or the data cannot be synced, the file is
// removed again. False with `error` set when the file could not be made.
// `exists` is set when the name was taken.
bool createNew(const QString &path, unsigned permissions, const std::function<bool(int fd)> &write,
               QString *error, bool *exists = nullptr);

// Copies `from` into a new file `to` as createNew() makes it.
bool copyToNew(const QString &from, const QString &to, unsigned permissions, QString *error, bool *exists = nullptr);

// A text reduced to a part of a file name: letters, digits, '.', '-' and '_'
// only, no leading dot, at most 40 characters; `fallback` when nothing is left.
QString fileNamePart(const QString &text, const QString &fallback);

// Why `target` cannot take an export of `source`: a link, something other
// than a regular file, or the source file itself. Empty when it can.
QString exportTargetProblem(const QString &target, const QString &source);

} // namespace pv::safefiles
