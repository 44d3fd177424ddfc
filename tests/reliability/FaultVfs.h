// A file layer under the engine, for the tests only: it passes every call on
// to the default layer, and can make chosen calls fail (a full disk, a write
// error) or play a power cut (writes not yet synced are lost or torn).
//
// The program never registers it; a test points RecordCursor at it with
// RecordCursor::setVfsForTests(FaultVfs::kName).
#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace pvrel {

class FaultVfs {
public:
    static constexpr const char *kName = "pv_fault";

    // The calls that change the disk: they are counted, and one of them can
    // be made to fail. Locks count only when taken for writing.
    enum class Kind { Write, Sync, Truncate, Lock, Delete };

    // The layer, registered with the engine on first use (never as default).
    static FaultVfs &get();

    // No fault, no power cut, nothing tracked; counting starts again.
    void reset();

    // I/O faults. The n-th counted call from now fails (n from 1), once or
    // from then on. A full disk counts and fails writes only, with
    // SQLITE_FULL; otherwise each kind fails with its SQLITE_IOERR_* code.
    void failAt(int n, bool fromThenOn, bool diskFull);
    int faultsFired() const { return m_fired; }
    // Counted calls since reset() or failAt().
    int calls() const { return m_calls; }

    // Power loss. track(): what the disk holds now is safe; from here on,
    // writes reach the disk only when their file is synced (a new file's
    // name only with its first sync, as the engine's own layer syncs the
    // folder then; a deletion only when the engine asks for the folder to
    // be synced). cutAt(n): the n-th counted call from now finds the power
    // gone; it and every later call fail without touching the disk.
    void track();
    void cutAt(int n);
    bool powerIsOff() const { return m_off; }

    // After every connection is closed: leaves on disk what a disk could
    // hold after the cut. DropAll loses every unsynced write and undoes
    // unsynced creations and deletions; Torn keeps a random part of the
    // unsynced writes, each torn at sector boundaries, and decides each
    // unsynced creation or deletion at random. Then resets.
    enum class Cut { DropAll, Torn };
    void restoreAfterCut(Cut how, std::mt19937 &rng);

    // Sector size the layer reports (and tears writes at).
    static constexpr int kSector = 512;

    // Hooks for the layer's C callbacks.
    int before(Kind kind); // SQLITE_OK, or the error the call must return
    bool tracking() const { return m_tracking; }
    void known(const std::string &path); // first seen: its bytes are on the disk
    void opened(const std::string &path, bool created);
    void wrote(const std::string &path, qint64 offset, const QByteArray &data);
    void truncated(const std::string &path, qint64 size);
    void synced(const std::string &path);
    void deleted(const std::string &path, bool folderSynced);

private:
    struct Op {
        qint64 offset = 0;
        QByteArray data;
        qint64 truncateTo = -1; // a truncation rather than a write
    };
    struct Image {
        std::optional<QByteArray> bytes; // nullopt: no file
        std::vector<Op> pending;
    };
    struct PathState {
        bool exists = true;
        bool nameUnsynced = false;  // created since the folder was last synced
        Image current;              // bytes: as of the last sync
        std::optional<Image> ghost; // deleted without a folder sync: may come back
    };

    FaultVfs() = default;
    QByteArray settle(const Image &image, Cut how, std::mt19937 &rng) const;

    int m_calls = 0;
    int m_failAt = 0;
    bool m_fromThenOn = false;
    bool m_diskFull = false;
    int m_fired = 0;
    bool m_tracking = false;
    int m_cutAt = 0;
    bool m_off = false;
    std::map<std::string, PathState> m_files;
};

} // namespace pvrel
