#include "ui/WorkProgress.h"

#include "ui/ScreenView.h"

#include <QApplication>
#include <QProgressDialog>

#include <limits>

namespace pv {

namespace {
int g_delayMs = 400;
}

void WorkProgress::setDelayMs(int ms)
{
    g_delayMs = ms;
}

WorkProgress::WorkProgress(QWidget *parent, const QString &label)
{
    m_dialog = new QProgressDialog(label, QStringLiteral("Cancel"), 0, 100, parent);
    m_dialog->setObjectName(QStringLiteral("dlgProgress"));
    m_dialog->setWindowTitle(Screen().App().Title);
    m_dialog->setWindowModality(Qt::WindowModal);
    // The dialog's own timer would show it on its own, also once the work is
    // over and a message about it is up; it is shown from report() only.
    m_dialog->setMinimumDuration(std::numeric_limits<int>::max());
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->hide();
    m_clock.start();
}

WorkProgress::~WorkProgress()
{
    finish();
}

std::function<bool(qint64, qint64)> WorkProgress::callback()
{
    return [this](qint64 done, qint64 total) { return report(done, total); };
}

bool WorkProgress::report(qint64 done, qint64 total)
{
    if (!m_dialog)
        return !m_cancelled;
    const bool running = total > 0 && done < total;
    if (running && !m_dialog->isVisible() && m_clock.elapsed() >= g_delayMs) {
        m_dialog->setValue(int(done * 100 / total));
        m_dialog->show();
    } else if (m_dialog->isVisible()) {
        m_dialog->setValue(total > 0 ? int(done * 100 / total) : 0);
    }
    QApplication::processEvents();
    if (m_dialog && m_dialog->wasCanceled())
        m_cancelled = true;
    // The last report ends the work: the window goes before the result shows.
    if (!running)
        finish();
    return !m_cancelled;
}

void WorkProgress::finish()
{
    if (!m_dialog)
        return;
    m_dialog->hide();
    // Deleted at once: no timer of its own is left to bring it back.
    delete m_dialog.data();
}

} // namespace pv
