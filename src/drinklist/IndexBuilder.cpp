#include "drinklist/IndexBuilder.h"

#include "data/CatalogueGuard.h"
#include "data/DataError.h"
#include "data/DrinkIndex.h"
#include "data/RecordCursor.h"

#include <QMetaObject>

#include <sqlite3.h>

namespace pv {

namespace {

bool buildFile(const QString &path, const drinkindex::Progress &progress)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok = false;
    try {
        guard::secure(db, path);
        sqlite3_busy_timeout(db, RecordCursor::busyTimeoutMs());
        drinkindex::registerFunctions(db);
        ok = drinkindex::build(db, progress) && drinkindex::refresh(db) == drinkindex::Readiness::Ready;
    } catch (const DataError &) {
        ok = false;
    }
    sqlite3_close(db);
    return ok;
}

} // namespace

IndexBuilder::IndexBuilder(QObject *parent) : QObject(parent) {}

IndexBuilder::~IndexBuilder()
{
    cancel();
    join();
}

void IndexBuilder::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void IndexBuilder::cancel()
{
    if (m_stop)
        m_stop->store(true);
}

void IndexBuilder::start(const QString &cataloguePath)
{
    if (m_running)
        return;
    join();
    m_running = true;
    m_path = cataloguePath;
    m_stop = std::make_shared<std::atomic<bool>>(false);
    const std::shared_ptr<std::atomic<bool>> stop = m_stop;
    // The thread ends before this object does (the destructor waits), and
    // what it posts is dropped with the object.
    m_thread = std::thread([this, stop, path = cataloguePath] {
        const auto progress = [this, stop](qint64 done, qint64 total) {
            QMetaObject::invokeMethod(
                this, [this, done, total] { Q_EMIT progressed(done, total); }, Qt::QueuedConnection);
            return !stop->load();
        };
        const bool built = buildFile(path, progress);
        const bool stopped = stop->load();
        QMetaObject::invokeMethod(
            this,
            [this, built, stopped] {
                m_running = false;
                Q_EMIT finished(built, stopped);
            },
            Qt::QueuedConnection);
    });
}

} // namespace pv
