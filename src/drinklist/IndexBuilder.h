#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <thread>

namespace pv {

// Builds a catalogue's search index on a thread of its own, on a connection
// of its own, so that no window waits for it. It touches no widget: what it
// has done reaches the window's thread as queued signals.
class IndexBuilder : public QObject {
    Q_OBJECT
public:
    explicit IndexBuilder(QObject *parent = nullptr);
    ~IndexBuilder() override; // stops and waits for the thread

    // Starts building for the catalogue unless a build is running.
    void start(const QString &cataloguePath);
    // Asks the running build to stop after its current step; `stopped` follows.
    void cancel();
    bool isRunning() const { return m_running; }
    const QString &cataloguePath() const { return m_path; }

Q_SIGNALS:
    void progressed(qint64 done, qint64 total);
    // `built`: the index is ready; false when stopped or when the catalogue
    // cannot hold it.
    void finished(bool built, bool stopped);

private:
    void join();

    std::thread m_thread;
    std::shared_ptr<std::atomic<bool>> m_stop;
    bool m_running = false;
    QString m_path;
};

} // namespace pv
