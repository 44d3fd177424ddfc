// A second program on the catalogue, for the reliability tests: it saves rows
// through a data control in a small window, exactly as the windows do, and
// prints one line per save the moment the save has returned.
//
//   pv_catalogue_driver write <catalogue> <prefix> <first-seq> <count> <busy-ms> <seed> [<gate>]
//       Adds, edits and deletes rows whose names begin with <prefix>; count 0
//       runs until killed. With a gate, the saves begin once that file
//       exists. Lines (each flushed at once):
//         ready <rows>                  the rows are open
//         add <rowid> <name> <length>   a new row is in the file
//         edit <rowid> <seq> <length>   Directions of the row now says "edit <seq>"
//         del <rowid>                   the row is gone from the file
//         try add|edit|del ...          a save begins (the same words as its report)
//         msg <text>                    a message box the program would show
//         done                          every save succeeded and the window closed
//       A refused save is retried (as a person would click again) until it
//       succeeds; only then is it reported.
//
//   pv_catalogue_driver hold <catalogue> <ms> [immediate|exclusive]
//       Holds the catalogue's write lock for <ms> milliseconds (exclusive:
//       keeps readers out too): prints locked, then released.
#include "data/DataError.h"
#include "data/RecordCursor.h"
#include "ui/DataControl.h"
#include "ui/ScreenView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QThread>
#include <QVBoxLayout>

#include <sqlite3.h>

#include <cstdio>
#include <random>

namespace {

void say(const QString &line)
{
    const QByteArray b = line.toUtf8() + '\n';
    std::fwrite(b.constData(), 1, size_t(b.size()), stdout);
    std::fflush(stdout);
}

class DriverForm : public QWidget, public pv::Form {
public:
    explicit DriverForm(QString path) : m_path(std::move(path))
    {
        auto *lay = new QVBoxLayout(this);
        name = new QLineEdit(this);
        directions = new QPlainTextEdit(this);
        data = new pv::DataControl(this);
        lay->addWidget(name);
        lay->addWidget(directions);
        lay->addWidget(data);
        data->setRecordSource(QStringLiteral("drinklst"));
        data->bind(name, QStringLiteral("DrinkName"));
        data->bind(directions, QStringLiteral("Directions"));
    }
    QWidget *widget() override { return this; }
    void Form_Load() override { data->setDatabaseName(m_path); }

    QLineEdit *name;
    QPlainTextEdit *directions;
    pv::DataControl *data;

private:
    QString m_path;
};

// Runs a step as a window's handler does; a refused step is tried again.
template <class Fn> void untilDone(Fn fn)
{
    for (;;) {
        bool ok = false;
        pv::Screen().guard([&] {
            fn();
            ok = true;
        });
        if (ok)
            return;
        QThread::msleep(20);
    }
}

QString filler(std::mt19937 &rnd)
{
    // Up to a few pages, so that a save spans more than one page of the file.
    const int n = int(rnd() % 12000);
    return QString(n, QLatin1Char('x'));
}

int write(const QStringList &args)
{
    const QString path = args.value(0);
    const QString prefix = args.value(1);
    qint64 seq = args.value(2).toLongLong();
    const int count = args.value(3).toInt();
    pv::RecordCursor::setBusyTimeoutMs(args.value(4).toInt());
    std::mt19937 rnd(args.value(5).toUInt());

    bool told = false;
    pv::Screen().setMsgBoxHandler([&told](const pv::MsgBoxCall &c) {
        say(QStringLiteral("msg ") + c.prompt);
        told = true;
        return int(pv::vbOK);
    });
    auto *form = new DriverForm(path);
    pv::Screen().LoadNew(form);
    while (!form->data->cursor() && !told)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!form->data->cursor())
        return 3; // the rows could not be opened; the message says why
    pv::Recordset &rs = form->data->recordset();
    say(QStringLiteral("ready %1").arg(rs.RecordCount()));
    const QString gate = args.value(6);
    while (!gate.isEmpty() && !QFileInfo::exists(gate))
        QThread::msleep(5);

    auto ownRow = [&] { return form->name->text().startsWith(prefix); };
    for (int i = 0; count == 0 || i < count; ++i, ++seq) {
        const int what = int(rnd() % 10);
        if (what < 5 || i == 0) {
            const QString name = prefix + QString::number(seq);
            const QString text = QStringLiteral("add %1 ").arg(seq) + filler(rnd);
            say(QStringLiteral("try add %1").arg(name));
            untilDone([&] { rs.AddNew(); });
            form->name->setText(name);
            form->directions->setPlainText(text);
            untilDone([&] { form->data->UpdateRecord(); });
            say(QStringLiteral("add %1 %2 %3").arg(rs.LastModified()).arg(name).arg(text.size()));
            continue;
        }
        // Another of our rows near the end.
        untilDone([&] { rs.MoveLast(); });
        for (int back = int(rnd() % 8); back > 0 && !rs.Bof(); --back)
            untilDone([&] { rs.MovePrevious(); });
        if (rs.Bof() || rs.Eof() || !ownRow())
            continue;
        const qint64 key = rs.Bookmark();
        if (what < 8) {
            const QString text = QStringLiteral("edit %1 ").arg(seq) + filler(rnd);
            form->directions->setPlainText(text);
            say(QStringLiteral("try edit %1 %2").arg(key).arg(seq));
            // Half the edits are saved by leaving the row, half at once.
            if (what < 7)
                untilDone([&] { rs.MoveFirst(); });
            else
                untilDone([&] { form->data->UpdateRecord(); });
            say(QStringLiteral("edit %1 %2 %3").arg(key).arg(seq).arg(text.size()));
        } else {
            say(QStringLiteral("try del %1").arg(key));
            untilDone([&] { rs.Delete(); });
            say(QStringLiteral("del %1").arg(key));
        }
    }
    pv::Screen().Unload(form);
    if (pv::Screen().formsCount() != 0)
        return 1;
    say(QStringLiteral("done"));
    return 0;
}

int hold(const QStringList &args)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(args.value(0).toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return 2;
    sqlite3_busy_timeout(db, 5000);
    const bool exclusive = args.value(2) == QLatin1String("exclusive");
    if (sqlite3_exec(db, exclusive ? "BEGIN EXCLUSIVE" : "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return 3;
    say(QStringLiteral("locked"));
    QThread::msleep(args.value(1).toULong());
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    say(QStringLiteral("released"));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const QString mode = args.value(0);
    args.removeFirst();
    if (mode == QLatin1String("write"))
        return write(args);
    if (mode == QLatin1String("hold"))
        return hold(args);
    std::fprintf(stderr, "usage: pv_catalogue_driver write|hold ...\n");
    return 2;
}
