#include "data/SafeFiles.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pv::safefiles {

namespace {

QString why(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

bool writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

unsigned permissionsLike(const QString &like)
{
    struct stat st {};
    if (::stat(QFile::encodeName(like).constData(), &st) != 0)
        return 0600;
    return unsigned(st.st_mode) & 0666u;
}

bool createNew(const QString &path, unsigned permissions, const std::function<bool(int fd)> &write, QString *error,
               bool *exists)
{
    if (exists)
        *exists = false;
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, permissions & 0666u);
    if (fd < 0) {
        const int err = errno;
        if (exists)
            *exists = err == EEXIST;
        if (error)
            *error = QStringLiteral("%1 cannot be created: %2").arg(path, why(err));
        return false;
    }
    bool ok = false;
    int err = 0;
    try {
        ok = write(fd);
        err = errno;
        if (ok && ::fsync(fd) != 0) {
            ok = false;
            err = errno;
        }
    } catch (...) {
        ::close(fd);
        ::unlink(name.constData());
        throw;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(name.constData());
        if (error)
            *error = QStringLiteral("%1 could not be written: %2").arg(path, why(err ? err : EIO));
    }
    return ok;
}

bool copyToNew(const QString &from, const QString &to, unsigned permissions, QString *error, bool *exists)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1 cannot be read: %2").arg(from, source.errorString());
        return false;
    }
    QString readError;
    const bool ok = createNew(
        to, permissions,
        [&](int fd) {
            QByteArray chunk(1 << 20, Qt::Uninitialized);
            for (;;) {
                const qint64 n = source.read(chunk.data(), chunk.size());
                if (n < 0) {
                    readError = QStringLiteral("%1 cannot be read: %2").arg(from, source.errorString());
                    return false;
                }
                if (n == 0)
                    return true;
                if (!writeAll(fd, chunk.constData(), n))
                    return false;
            }
        },
        error, exists);
    if (!ok && !readError.isEmpty() && error)
        *error = readError;
    return ok;
}

QString fileNamePart(const QString &text, const QString &fallback)
{
    QString out;
    for (const QChar c : text) {
        if (out.size() == 40)
            break;
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') ||
                           c == QLatin1Char('-') || c == QLatin1Char('_');
        out += plain ? c : QLatin1Char('_');
    }
    while (out.startsWith(QLatin1Char('.')))
        out[0] = QLatin1Char('_');
    bool meaningful = false;
    for (const QChar c : out)
        meaningful = meaningful || c != QLatin1Char('_');
    return meaningful ? out : fallback;
}

QString exportTargetProblem(const QString &target, const QString &source)
{
    struct stat t {};
    if (::lstat(QFile::encodeName(target).constData(), &t) != 0)
        return QString(); // a new file
    if (S_ISLNK(t.st_mode))
        return QStringLiteral("%1 is a symbolic link. Nothing was written; choose the file itself or another name.")
            .arg(target);
    if (S_ISDIR(t.st_mode))
        return QStringLiteral("%1 is a folder. Nothing was written; choose a file name.").arg(target);
    if (!S_ISREG(t.st_mode))
        return QStringLiteral("%1 is not an ordinary file (a device, a pipe or a socket). Nothing was written; "
                              "choose a file name.")
            .arg(target);
    struct stat s {};
    if (::stat(QFile::encodeName(source).constData(), &s) == 0 && s.st_dev == t.st_dev && s.st_ino == t.st_ino)
        return QStringLiteral("%1 is the catalogue being exported. Nothing was written; choose another file name.")
            .arg(target);
    return QString();
}

} // namespace pv::safefiles
