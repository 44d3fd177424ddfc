#include "FaultVfs.h"

#include <QFile>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace pvrel {

namespace {

sqlite3_vfs *g_real = nullptr;

struct File {
    sqlite3_file base;
    sqlite3_file *real; // follows this struct in the same allocation
    std::string path;   // empty for the engine's nameless temporary files
};

File *asFile(sqlite3_file *f)
{
    return reinterpret_cast<File *>(f);
}

const sqlite3_io_methods *realMethods(sqlite3_file *f)
{
    return asFile(f)->real->pMethods;
}

int fileClose(sqlite3_file *f)
{
    File *p = asFile(f);
    const int rc = p->real->pMethods ? p->real->pMethods->xClose(p->real) : SQLITE_OK;
    p->path.~basic_string();
    return rc;
}

int fileRead(sqlite3_file *f, void *buf, int n, sqlite3_int64 off)
{
    if (FaultVfs::get().powerIsOff())
        return SQLITE_IOERR_READ;
    return realMethods(f)->xRead(asFile(f)->real, buf, n, off);
}

int fileWrite(sqlite3_file *f, const void *buf, int n, sqlite3_int64 off)
{
    FaultVfs &v = FaultVfs::get();
    if (const int rc = v.before(FaultVfs::Kind::Write); rc != SQLITE_OK)
        return rc;
    if (v.tracking() && !asFile(f)->path.empty())
        v.known(asFile(f)->path);
    const int rc = realMethods(f)->xWrite(asFile(f)->real, buf, n, off);
    if (rc == SQLITE_OK && v.tracking() && !asFile(f)->path.empty())
        v.wrote(asFile(f)->path, off, QByteArray(static_cast<const char *>(buf), n));
    return rc;
}

int fileTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    FaultVfs &v = FaultVfs::get();
    if (const int rc = v.before(FaultVfs::Kind::Truncate); rc != SQLITE_OK)
        return rc;
    if (v.tracking() && !asFile(f)->path.empty())
        v.known(asFile(f)->path);
    const int rc = realMethods(f)->xTruncate(asFile(f)->real, size);
    if (rc == SQLITE_OK && v.tracking() && !asFile(f)->path.empty())
        v.truncated(asFile(f)->path, size);
    return rc;
}

int fileSync(sqlite3_file *f, int)
{
    // The disk's durability is played by this layer, so the real sync (slow,
    // and meaningless for temporary files) is left out.
    FaultVfs &v = FaultVfs::get();
    if (const int rc = v.before(FaultVfs::Kind::Sync); rc != SQLITE_OK)
        return rc;
    if (v.tracking() && !asFile(f)->path.empty()) {
        v.known(asFile(f)->path);
        v.synced(asFile(f)->path);
    }
    return SQLITE_OK;
}

int fileSize(sqlite3_file *f, sqlite3_int64 *size)
{
    if (FaultVfs::get().powerIsOff())
        return SQLITE_IOERR_FSTAT;
    return realMethods(f)->xFileSize(asFile(f)->real, size);
}

int fileLock(sqlite3_file *f, int level)
{
    if (level > SQLITE_LOCK_SHARED) {
        if (const int rc = FaultVfs::get().before(FaultVfs::Kind::Lock); rc != SQLITE_OK)
            return rc;
    } else if (FaultVfs::get().powerIsOff()) {
        return SQLITE_IOERR_LOCK;
    }
    return realMethods(f)->xLock(asFile(f)->real, level);
}

int fileUnlock(sqlite3_file *f, int level)
{
    return realMethods(f)->xUnlock(asFile(f)->real, level);
}

int fileCheckReserved(sqlite3_file *f, int *out)
{
    return realMethods(f)->xCheckReservedLock(asFile(f)->real, out);
}

int fileControl(sqlite3_file *f, int op, void *arg)
{
    return realMethods(f)->xFileControl(asFile(f)->real, op, arg);
}

int fileSectorSize(sqlite3_file *)
{
    return FaultVfs::kSector;
}

int fileCharacteristics(sqlite3_file *f)
{
    // Nothing that would let the engine skip a sync.
    return realMethods(f)->xDeviceCharacteristics(asFile(f)->real) & SQLITE_IOCAP_POWERSAFE_OVERWRITE;
}

int fileShmMap(sqlite3_file *f, int page, int size, int extend, void volatile **out)
{
    if (FaultVfs::get().powerIsOff())
        return SQLITE_IOERR_SHMMAP;
    return realMethods(f)->xShmMap(asFile(f)->real, page, size, extend, out);
}

int fileShmLock(sqlite3_file *f, int offset, int n, int flags)
{
    return realMethods(f)->xShmLock(asFile(f)->real, offset, n, flags);
}

void fileShmBarrier(sqlite3_file *f)
{
    realMethods(f)->xShmBarrier(asFile(f)->real);
}

int fileShmUnmap(sqlite3_file *f, int deleteFlag)
{
    return realMethods(f)->xShmUnmap(asFile(f)->real, deleteFlag);
}

const sqlite3_io_methods kMethods = {
    2, // no memory mapping: every read and write passes here
    fileClose,  fileRead,    fileWrite,         fileTruncate, fileSync,       fileSize,
    fileLock,   fileUnlock,  fileCheckReserved, fileControl,  fileSectorSize, fileCharacteristics,
    fileShmMap, fileShmLock, fileShmBarrier,    fileShmUnmap, nullptr,        nullptr,
};

int vfsOpen(sqlite3_vfs *, const char *name, sqlite3_file *f, int flags, int *outFlags)
{
    File *p = asFile(f);
    p->base.pMethods = nullptr;
    p->real = reinterpret_cast<sqlite3_file *>(p + 1);
    std::memset(p->real, 0, size_t(g_real->szOsFile));
    new (&p->path) std::string(name ? name : "");
    FaultVfs &v = FaultVfs::get();
    if (v.powerIsOff()) {
        p->path.~basic_string();
        return SQLITE_CANTOPEN;
    }
    const bool existed = name && QFile::exists(QString::fromUtf8(name));
    const int rc = g_real->xOpen(g_real, name, p->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        if (p->real->pMethods)
            p->real->pMethods->xClose(p->real);
        p->path.~basic_string();
        return rc;
    }
    p->base.pMethods = &kMethods;
    if (v.tracking() && name)
        v.opened(p->path, !existed);
    return SQLITE_OK;
}

int vfsDelete(sqlite3_vfs *, const char *name, int syncDir)
{
    FaultVfs &v = FaultVfs::get();
    if (const int rc = v.before(FaultVfs::Kind::Delete); rc != SQLITE_OK)
        return rc;
    if (v.tracking())
        v.known(name);
    const int rc = g_real->xDelete(g_real, name, 0);
    if (rc == SQLITE_OK && v.tracking())
        v.deleted(name, syncDir != 0);
    return rc;
}

int vfsAccess(sqlite3_vfs *, const char *name, int flags, int *out)
{
    return g_real->xAccess(g_real, name, flags, out);
}

int vfsFullPathname(sqlite3_vfs *, const char *name, int n, char *out)
{
    return g_real->xFullPathname(g_real, name, n, out);
}

void *vfsDlOpen(sqlite3_vfs *, const char *name)
{
    return g_real->xDlOpen(g_real, name);
}

void vfsDlError(sqlite3_vfs *, int n, char *out)
{
    g_real->xDlError(g_real, n, out);
}

void (*vfsDlSym(sqlite3_vfs *, void *handle, const char *name))(void)
{
    return g_real->xDlSym(g_real, handle, name);
}

void vfsDlClose(sqlite3_vfs *, void *handle)
{
    g_real->xDlClose(g_real, handle);
}

int vfsRandomness(sqlite3_vfs *, int n, char *out)
{
    return g_real->xRandomness(g_real, n, out);
}

int vfsSleep(sqlite3_vfs *, int us)
{
    return g_real->xSleep(g_real, us);
}

int vfsCurrentTime(sqlite3_vfs *, double *out)
{
    return g_real->xCurrentTime(g_real, out);
}

int vfsLastError(sqlite3_vfs *, int n, char *out)
{
    return g_real->xGetLastError ? g_real->xGetLastError(g_real, n, out) : 0;
}

int vfsCurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *out)
{
    return g_real->xCurrentTimeInt64(g_real, out);
}

sqlite3_vfs g_vfs;

int errorFor(FaultVfs::Kind kind, bool diskFull)
{
    switch (kind) {
    case FaultVfs::Kind::Write:
        return diskFull ? SQLITE_FULL : SQLITE_IOERR_WRITE;
    case FaultVfs::Kind::Sync:
        return SQLITE_IOERR_FSYNC;
    case FaultVfs::Kind::Truncate:
        return SQLITE_IOERR_TRUNCATE;
    case FaultVfs::Kind::Lock:
        return SQLITE_IOERR_LOCK;
    case FaultVfs::Kind::Delete:
        return SQLITE_IOERR_DELETE;
    }
    return SQLITE_IOERR;
}

QByteArray readWhole(const std::string &path)
{
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void apply(QByteArray &bytes, qint64 offset, const QByteArray &data)
{
    if (bytes.size() < offset + data.size())
        bytes.resize(offset + data.size(), '\0');
    std::memcpy(bytes.data() + offset, data.constData(), size_t(data.size()));
}

} // namespace

FaultVfs &FaultVfs::get()
{
    static FaultVfs *instance = [] {
        g_real = sqlite3_vfs_find(nullptr);
        std::memset(&g_vfs, 0, sizeof g_vfs);
        g_vfs.iVersion = 2;
        g_vfs.szOsFile = int(sizeof(File)) + g_real->szOsFile;
        g_vfs.mxPathname = g_real->mxPathname;
        g_vfs.zName = kName;
        g_vfs.xOpen = vfsOpen;
        g_vfs.xDelete = vfsDelete;
        g_vfs.xAccess = vfsAccess;
        g_vfs.xFullPathname = vfsFullPathname;
        g_vfs.xDlOpen = vfsDlOpen;
        g_vfs.xDlError = vfsDlError;
        g_vfs.xDlSym = vfsDlSym;
        g_vfs.xDlClose = vfsDlClose;
        g_vfs.xRandomness = vfsRandomness;
        g_vfs.xSleep = vfsSleep;
        g_vfs.xCurrentTime = vfsCurrentTime;
        g_vfs.xGetLastError = vfsLastError;
        g_vfs.xCurrentTimeInt64 = vfsCurrentTimeInt64;
        sqlite3_vfs_register(&g_vfs, 0);
        return new FaultVfs;
    }();
    return *instance;
}

void FaultVfs::reset()
{
    m_calls = 0;
    m_failAt = 0;
    m_fromThenOn = false;
    m_diskFull = false;
    m_fired = 0;
    m_tracking = false;
    m_cutAt = 0;
    m_off = false;
    m_files.clear();
}

void FaultVfs::failAt(int n, bool fromThenOn, bool diskFull)
{
    m_calls = 0;
    m_fired = 0;
    m_failAt = n;
    m_fromThenOn = fromThenOn;
    m_diskFull = diskFull;
}

int FaultVfs::before(Kind kind)
{
    if (m_off)
        return errorFor(kind, false);
    if (m_diskFull && kind != Kind::Write)
        return SQLITE_OK;
    ++m_calls;
    if (m_cutAt > 0 && m_calls >= m_cutAt) {
        m_off = true;
        return errorFor(kind, false);
    }
    if (m_failAt > 0 && (m_calls == m_failAt || (m_fromThenOn && m_calls > m_failAt))) {
        ++m_fired;
        return errorFor(kind, m_diskFull);
    }
    return SQLITE_OK;
}

void FaultVfs::track()
{
    m_files.clear();
    m_tracking = true;
    m_calls = 0;
}

void FaultVfs::cutAt(int n)
{
    m_calls = 0;
    m_cutAt = n;
}

void FaultVfs::known(const std::string &path)
{
    if (m_files.find(path) == m_files.end())
        opened(path, !QFile::exists(QString::fromStdString(path)));
}

void FaultVfs::opened(const std::string &path, bool created)
{
    auto it = m_files.find(path);
    if (it == m_files.end()) {
        // First seen since tracking began: what it holds is on the disk.
        PathState s;
        s.exists = !created;
        s.current.bytes = created ? std::nullopt : std::optional<QByteArray>(readWhole(path));
        it = m_files.emplace(path, std::move(s)).first;
    }
    if (created) {
        PathState &s = it->second;
        s.exists = true;
        s.nameUnsynced = true;
        s.current = Image{};
    }
}

void FaultVfs::wrote(const std::string &path, qint64 offset, const QByteArray &data)
{
    m_files[path].current.pending.push_back(Op{offset, data, -1});
}

void FaultVfs::truncated(const std::string &path, qint64 size)
{
    m_files[path].current.pending.push_back(Op{0, QByteArray(), size});
}

void FaultVfs::synced(const std::string &path)
{
    PathState &s = m_files[path];
    QByteArray bytes = s.current.bytes.value_or(QByteArray());
    for (const Op &op : s.current.pending) {
        if (op.truncateTo >= 0)
            bytes.resize(std::min<qint64>(bytes.size(), op.truncateTo));
        else
            apply(bytes, op.offset, op.data);
    }
    s.current = Image{bytes, {}};
    if (s.nameUnsynced) {
        // The engine's own layer syncs the folder on a new file's first
        // sync: every creation and deletion in it is then on the disk.
        const std::string folder = path.substr(0, path.rfind('/'));
        for (auto &[p, other] : m_files)
            if (p.substr(0, p.rfind('/')) == folder) {
                other.ghost.reset();
                if (other.exists && other.nameUnsynced) {
                    other.nameUnsynced = false;
                    if (!other.current.bytes)
                        other.current.bytes = QByteArray();
                }
            }
    }
}

void FaultVfs::deleted(const std::string &path, bool folderSynced)
{
    PathState &s = m_files[path];
    if (folderSynced) {
        s = PathState{};
        s.exists = false;
        s.current.bytes.reset();
        return;
    }
    // Until the folder is synced the old name may come back, with what the
    // file held: a file never named on the disk leaves the older ghost.
    if (!s.nameUnsynced)
        s.ghost = s.current;
    s.exists = false;
    s.nameUnsynced = false;
    s.current = Image{};
}

QByteArray FaultVfs::settle(const Image &image, Cut how, std::mt19937 &rng) const
{
    QByteArray bytes = image.bytes.value_or(QByteArray());
    if (how == Cut::DropAll)
        return bytes;
    std::bernoulli_distribution coin(0.5);
    for (const Op &op : image.pending) {
        if (!coin(rng))
            continue;
        if (op.truncateTo >= 0) {
            bytes.resize(std::min<qint64>(bytes.size(), op.truncateTo));
            continue;
        }
        // Torn: each sector the write covers arrives or not.
        qint64 pos = op.offset;
        const qint64 end = op.offset + op.data.size();
        while (pos < end) {
            const qint64 next = std::min(end, (pos / kSector + 1) * kSector);
            if (coin(rng))
                apply(bytes, pos, op.data.mid(pos - op.offset, next - pos));
            pos = next;
        }
    }
    return bytes;
}

void FaultVfs::restoreAfterCut(Cut how, std::mt19937 &rng)
{
    std::bernoulli_distribution coin(0.5);
    for (const auto &[path, s] : m_files) {
        std::optional<QByteArray> outcome;
        if (s.exists && !s.nameUnsynced) {
            outcome = settle(s.current, how, rng);
        } else {
            // The name itself was not synced: the folder may show the new
            // file, the deleted old one, or nothing.
            const bool keepNew = s.exists && how == Cut::Torn && coin(rng);
            const bool ghostBack = s.ghost && s.ghost->bytes && (how == Cut::DropAll || coin(rng));
            if (keepNew)
                outcome = settle(s.current, how, rng);
            else if (ghostBack)
                outcome = settle(*s.ghost, how, rng);
        }
        const QString name = QString::fromStdString(path);
        QFile::remove(name);
        // A WAL index is rebuilt by the next opening; whatever it held is moot.
        QFile::remove(name + QStringLiteral("-shm"));
        if (outcome) {
            QFile f(name);
            if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                f.write(*outcome);
        }
    }
    reset();
}

} // namespace pvrel
