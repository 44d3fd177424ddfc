#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace pvtest {

// A CUPS scheduler of the tests' own: a cupsd in the foreground whose socket,
// spool, cache, state and logs all lie in one temporary folder, with one queue
// that writes every job, byte for byte, to a file in that folder. A system
// scheduler, if one runs, is neither asked nor touched.
//
// libcups reads CUPS_SERVER once per process, so construct this before
// anything asks for a printer (before QApplication in main); start() may
// come later.
class PrintServer {
public:
    PrintServer();
    ~PrintServer();

    // Starts cupsd, adds the queue and makes it the server's default. On
    // failure error() says why, with the scheduler's log when it has one.
    bool start();
    void stop();
    bool isRunning() const { return m_cupsd.state() == QProcess::Running; }
    QString error() const { return m_error; }

    QString queue() const { return QStringLiteral("PourvaleTest"); }
    QString folder() const { return m_dir.path(); }

    // Waits for the queue to finish one more job than it had when last asked
    // and gives a copy of what the job wrote; empty after `timeoutMs`.
    QString waitForJob(int timeoutMs = 15000);

    // Runs a CUPS command-line tool (lpstat, cupsreject ...) on this server.
    bool run(const QString &tool, const QStringList &args, QString *output = nullptr) const;

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    int completedJobs() const;
    QString logTail() const;

    QTemporaryDir m_dir;
    QProcess m_cupsd;
    QString m_error;
    int m_jobsSeen = 0;
};

} // namespace pvtest
