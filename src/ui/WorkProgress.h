#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <functional>

class QProgressDialog;
class QWidget;

namespace pv {

// A progress window for one piece of work on the user-interface thread. It
// appears only while the work runs and looks set to last a while, and it is
// gone before anything that follows the work (a message about its end) is
// shown: finish() or the end of its scope takes it away for good.
class WorkProgress {
public:
    WorkProgress(QWidget *parent, const QString &label);
    ~WorkProgress();
    WorkProgress(const WorkProgress &) = delete;
    WorkProgress &operator=(const WorkProgress &) = delete;

    // Called by the work with what is done of the total; false when the
    // user pressed Cancel.
    std::function<bool(qint64 done, qint64 total)> callback();
    void finish();

    // How long work runs before the window may appear (tests set 0).
    static void setDelayMs(int ms);

private:
    bool report(qint64 done, qint64 total);

    QPointer<QProgressDialog> m_dialog;
    QElapsedTimer m_clock;
    bool m_cancelled = false;
};

} // namespace pv
