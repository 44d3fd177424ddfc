#include "PrintServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

namespace pvtest {

namespace {

// The scheduler and lpadmin live in sbin, which an ordinary user's PATH may
// leave out.
QString tool(const QString &name)
{
    QString found = QStandardPaths::findExecutable(name);
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    return found;
}

bool writeFile(const QString &path, const QString &text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) == text.toUtf8().size();
}

// A queue with no driver at all writes nothing to a file: device (no process
// runs to copy the job), so the queue has a description whose only filter
// passes the document through unchanged.
const char kPassThroughPpd[] = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "PVTEST.PPD"
*Manufacturer: "Pourvale"
*Product: "(Test queue)"
*ModelName: "Pourvale test queue"
*ShortNickName: "Pourvale test queue"
*NickName: "Pourvale test queue, writes jobs to a file"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*cupsFilter2: "application/pdf application/vnd.cups-pdf 0 gziptoany"
*OpenUI *PageSize: PickOne
*DefaultPageSize: A4
*PageSize A4: "<</PageSize[595 842]>>setpagedevice"
*PageSize Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageSize
*DefaultImageableArea: A4
*ImageableArea A4: "18 36 577 806"
*ImageableArea Letter: "18 36 594 756"
*DefaultPaperDimension: A4
*PaperDimension A4: "595 842"
*PaperDimension Letter: "612 792"
)ppd";

} // namespace

// In /tmp rather than TMPDIR: a socket's path must stay short.
PrintServer::PrintServer() : m_dir(QStringLiteral("/tmp/pv-cups-XXXXXX"))
{
    // Clients find the server by its socket; the lpoptions and client.conf
    // they read are this folder's (none), not the machine's.
    qputenv("CUPS_SERVER", path(QStringLiteral("cupsd.sock")).toUtf8());
    qputenv("CUPS_SERVERROOT", m_dir.path().toUtf8());
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
}

PrintServer::~PrintServer()
{
    stop();
}

bool PrintServer::start()
{
    m_error.clear();
    const QString cupsd = tool(QStringLiteral("cupsd"));
    if (!m_dir.isValid() || cupsd.isEmpty()) {
        m_error = QStringLiteral("cupsd is not installed (scripts/install-deps installs it)");
        return false;
    }
    // Run as root, cupsd hands the filters to the user lp, who must be able
    // to reach the spool and the queue's description in here.
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                            QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    for (const char *sub : {"spool/tmp", "cache", "state", "log"})
        QDir().mkpath(path(QLatin1String(sub)));

    const QString files = QStringLiteral("ServerRoot %1\n"
                                         "RequestRoot %1/spool\n"
                                         "TempDir %1/spool/tmp\n"
                                         "CacheDir %1/cache\n"
                                         "StateDir %1/state\n"
                                         "AccessLog %1/log/access_log\n"
                                         "ErrorLog %1/log/error_log\n"
                                         "PageLog %1/log/page_log\n"
                                         "Printcap %1/printcap\n"
                                         "FileDevice Yes\n")
                              .arg(m_dir.path());
    // No authentication: only the tests reach this socket, and an ordinary
    // user must be able to add and refuse queues.
    const QString conf = QStringLiteral("Listen %1\n"
                                        "LogLevel info\n"
                                        "Browsing No\n"
                                        "BrowseLocalProtocols none\n"
                                        "WebInterface No\n"
                                        "DefaultAuthType None\n"
                                        "<Policy default>\n"
                                        "  <Limit All>\n"
                                        "    Order deny,allow\n"
                                        "  </Limit>\n"
                                        "</Policy>\n")
                             .arg(path(QStringLiteral("cupsd.sock")));
    if (!writeFile(path(QStringLiteral("cups-files.conf")), files) ||
        !writeFile(path(QStringLiteral("cupsd.conf")), conf) ||
        !writeFile(path(QStringLiteral("passthrough.ppd")), QString::fromLatin1(kPassThroughPpd))) {
        m_error = QStringLiteral("cannot write the print server's configuration in ") + m_dir.path();
        return false;
    }

    m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
    m_cupsd.setStandardOutputFile(path(QStringLiteral("log/cupsd.out")));
    m_cupsd.start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), path(QStringLiteral("cupsd.conf")),
                          QStringLiteral("-s"), path(QStringLiteral("cups-files.conf"))});
    if (!m_cupsd.waitForStarted(10000)) {
        m_error = QStringLiteral("cupsd did not start: ") + m_cupsd.errorString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    QString status;
    while (!(run(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &status) &&
             status.contains(QLatin1String("is running")))) {
        if (!isRunning() || clock.hasExpired(15000)) {
            m_error = QStringLiteral("cupsd did not come up\n") + logTail();
            stop();
            return false;
        }
        QThread::msleep(50);
    }

    const QString device = QStringLiteral("file://") + path(QStringLiteral("job.out"));
    if (!run(QStringLiteral("lpadmin"), {QStringLiteral("-p"), queue(), QStringLiteral("-E"), QStringLiteral("-v"),
                                         device, QStringLiteral("-P"), path(QStringLiteral("passthrough.ppd"))}) ||
        !run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), queue()})) {
        m_error = QStringLiteral("lpadmin could not add the queue\n") + logTail();
        stop();
        return false;
    }
    m_jobsSeen = completedJobs();
    return true;
}

void PrintServer::stop()
{
    if (m_cupsd.state() == QProcess::NotRunning)
        return;
    m_cupsd.terminate();
    if (!m_cupsd.waitForFinished(10000)) {
        m_cupsd.kill();
        m_cupsd.waitForFinished(5000);
    }
}

bool PrintServer::run(const QString &name, const QStringList &args, QString *output) const
{
    const QString program = tool(name);
    if (program.isEmpty())
        return false;
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000))
        return false;
    if (output)
        *output = QString::fromUtf8(p.readAllStandardOutput());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

int PrintServer::completedJobs() const
{
    QString list;
    if (!run(QStringLiteral("lpstat"),
             {QStringLiteral("-W"), QStringLiteral("completed"), QStringLiteral("-o"), queue()}, &list))
        return -1;
    return int(list.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size());
}

QString PrintServer::waitForJob(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    int done = completedJobs();
    while (done <= m_jobsSeen) {
        if (clock.hasExpired(timeoutMs)) {
            m_error = QStringLiteral("no job was completed\n") + logTail();
            return QString();
        }
        QCoreApplication::processEvents();
        QThread::msleep(50);
        done = completedJobs();
    }
    m_jobsSeen = done;
    // Each job overwrites the queue's file: keep this one's.
    const QString copy = path(QStringLiteral("job-%1.pdf").arg(done));
    QFile::remove(copy);
    if (!QFile::copy(path(QStringLiteral("job.out")), copy)) {
        m_error = QStringLiteral("the queue wrote no file\n") + logTail();
        return QString();
    }
    return copy;
}

QString PrintServer::logTail() const
{
    QFile log(path(QStringLiteral("log/error_log")));
    QFile out(path(QStringLiteral("log/cupsd.out")));
    QStringList lines;
    if (log.open(QIODevice::ReadOnly))
        lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'));
    if (out.open(QIODevice::ReadOnly))
        lines += QString::fromUtf8(out.readAll()).split(QLatin1Char('\n'));
    return lines.mid(qMax(0, int(lines.size()) - 30)).join(QLatin1Char('\n'));
}

} // namespace pvtest
