#include "ui/ScreenView.h"

#include "data/AppFolders.h"
#include "data/CatalogueGuard.h"
#include "data/DataError.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QGuiApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QTimer>

namespace pv {

namespace {

// The parts of a window, in the order the window holds them.
QList<FormPart *> partsOf(QWidget *window)
{
    QList<FormPart *> parts;
    for (QWidget *child : window->findChildren<QWidget *>())
        if (auto *part = dynamic_cast<FormPart *>(child))
            parts.append(part);
    return parts;
}

// Turns a click on a window's close box into an unload of its form, so that
// Form_Unload runs and the form leaves the loaded windows.
class CloseWatcher : public QObject {
public:
    CloseWatcher(Form *form, QObject *parent) : QObject(parent), m_form(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close && watched == m_form->widget()) {
            ScreenView &sv = ScreenView::instance();
            if (sv.isLoaded(m_form)) {
                event->ignore();
                sv.Unload(m_form);
                return true;
            }
        }
        return false;
    }

private:
    Form *m_form;
};

// Tooltips show names and texts from files; Qt would guess rich text from
// the first tag. Every tooltip of the program passes here and shows as text.
class ToolTipFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(watched);
        auto *help = static_cast<QHelpEvent *>(event);
        QString text;
        QRect area;
        if (auto *view = qobject_cast<QAbstractItemView *>(w->parentWidget()); view && view->viewport() == w) {
            const QModelIndex index = view->indexAt(help->pos());
            if (!index.isValid())
                return false;
            text = index.data(Qt::ToolTipRole).toString();
            area = view->visualRect(index);
        } else {
            text = w->toolTip();
        }
        if (text.isEmpty())
            return false; // Qt passes it on to the parent
        QToolTip::showText(help->globalPos(), plainToolTip(text), w, area);
        return true;
    }
};


int defaultMsgBox(const MsgBoxCall &call)
{
    // Prompts carry names and paths from files: never rich text, and a long
    // one is cut, with the whole of it under "Show Details...".
    const bool question = (call.style & 0xF) == vbYesNo;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if ((call.style & 0x70) == vbInformation)
        icon = QMessageBox::Information;
    else if ((call.style & 0x70) == vbQuestion)
        icon = QMessageBox::Question;
    const QString title = cutForDisplay(call.title.isEmpty() ? ScreenView::instance().App().Title : call.title, 200,
                                        200);
    const QString shown = cutForDisplay(call.prompt);
    QMessageBox box(icon, title, shown, question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    if (shown != call.prompt)
        box.setDetailedText(call.prompt);
    // A question from the program is one where going on needs a yes.
    if (question)
        box.setDefaultButton(QMessageBox::No);
    const int answer = box.exec();
    if (!question)
        return vbOK;
    return answer == QMessageBox::Yes ? vbYes : vbNo;
}

} // namespace

QString cutForDisplay(const QString &text, int maxChars, int maxRun)
{
    // Text wraps at spaces; only a run without one (a path, a made-up name)
    // can grow a box past the screen, so such a run is cut.
    QString out;
    int run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (out.size() >= maxChars) {
            out += QChar(0x2026);
            break;
        }
        const QChar c = text.at(i);
        if (c.isSpace()) {
            run = 0;
            out += c;
            continue;
        }
        if (run == maxRun) {
            out += QChar(0x2026);
            while (i + 1 < text.size() && !text.at(i + 1).isSpace())
                ++i;
            continue;
        }
        // A surrogate pair is never split.
        out += c;
        if (c.isHighSurrogate() && i + 1 < text.size())
            out += text.at(++i);
        ++run;
    }
    return out;
}

QString plainToolTip(const QString &text)
{
    QString lines;
    int column = 0;
    qsizetype taken = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++taken) {
        if (taken == kToolTipChars) {
            lines += QChar(0x2026);
            break;
        }
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n')) {
            lines += c;
            column = 0;
            continue;
        }
        if (column == kToolTipLine && !c.isLowSurrogate()) {
            lines += QLatin1Char('\n');
            column = 0;
        }
        lines += c;
        ++column;
    }
    // Escaped, every character is text; the paragraph only keeps the breaks.
    QString html = lines.toHtmlEscaped();
    html.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    return QStringLiteral("<p style='white-space:pre'>") + html + QStringLiteral("</p>");
}

QString titleText(const QString &text)
{
    QString t = cutForDisplay(text, 200, 200);
    t.replace(QLatin1Char('\n'), QLatin1Char(' '));
    t.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
    return t;
}

ScreenView &ScreenView::instance()
{
    static ScreenView sv;
    return sv;
}

ScreenView::ScreenView() : m_msgBox(defaultMsgBox)
{
    m_app.Path = locateAppFolders(QCoreApplication::applicationDirPath()).data;
    // What a catalogue carried that was set aside is told once the action
    // that opened it has run, never from inside the engine's opening.
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance())) {
        app->installEventFilter(new ToolTipFilter(app));
        pv::guard::setNoticeHandler([](const QString &text) {
            QTimer::singleShot(0, qApp, [text] { ScreenView::instance().MsgBox(text, vbInformation); });
        });
    }
}

void ScreenView::loadForm(Form *form)
{
    QWidget *w = form->widget();
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    w->installEventFilter(new CloseWatcher(form, w));
    m_forms.append(form);
    form->Form_Load();
    // Data controls open their rows once the load handler has returned.
    for (FormPart *part : partsOf(w))
        part->formLoaded();
}

void ScreenView::Show(Form *form, int style, QWidget *owner)
{
    QWidget *w = form->widget();
    if (!isLoaded(form))
        loadForm(form);
    // A window opens wholly on the screen of the first window open (the
    // main one); a window that restores a placement of its own says so.
    if (!w->isVisible() && !w->property(kKeepsPlacement).toBool()) {
        const QWidget *anchor = owner;
        for (qsizetype i = 0; !anchor && i < m_forms.size(); ++i)
            if (QWidget *other = m_forms[i]->widget(); other != w && other->isVisible())
                anchor = other;
        keepOnScreen(w, anchor);
    }
    if (style == 1) {
        if (owner && w->parentWidget() != owner)
            w->setParent(owner, Qt::Dialog);
        w->setWindowModality(Qt::ApplicationModal);
        QEventLoop loop;
        m_modalLoops[form] = &loop;
        w->show();
        w->raise();
        w->activateWindow();
        // Unload ends the loop.
        loop.exec();
        m_modalLoops.remove(form);
        return;
    }
    if (w->isMinimized())
        w->showNormal();
    else
        w->show();
    w->raise();
    w->activateWindow();
}

bool ScreenView::isLoaded(const Form *form) const
{
    return m_forms.contains(const_cast<Form *>(form));
}

void ScreenView::Unload(Form *form)
{
    if (!isLoaded(form) || m_unloading.contains(form))
        return;
    m_unloading.append(form);
    int cancel = 0;
    try {
        form->Form_Unload(cancel);
    } catch (...) {
        m_unloading.removeAll(form);
        throw;
    }
    if (cancel) {
        m_unloading.removeAll(form);
        return;
    }
    QWidget *w = form->widget();
    // Data controls save a pending edit as they close; a window whose edit
    // could not be saved stays open with the typed values.
    for (FormPart *part : partsOf(w))
        if (!part->formUnloading()) {
            m_unloading.removeAll(form);
            return;
        }
    forget(form);
    m_unloading.removeAll(form);
    if (QEventLoop *loop = m_modalLoops.value(form))
        loop->quit();
    w->hide();
    w->deleteLater();
    // Judged once the current handler has run: the start-up window unloads
    // itself before it loads the main window.
    if (m_forms.isEmpty() && m_quitWhenEmpty)
        QTimer::singleShot(0, qApp, [this] {
            if (m_forms.isEmpty() && m_quitWhenEmpty)
                QCoreApplication::quit();
        });
}

void ScreenView::forget(Form *form)
{
    m_forms.removeAll(form);
    for (auto it = m_singles.begin(); it != m_singles.end();) {
        if (it->second == form)
            it = m_singles.erase(it);
        else
            ++it;
    }
}

Form *ScreenView::Forms(int index) const
{
    return m_forms.value(index);
}

QList<Form *> ScreenView::forms() const
{
    return m_forms;
}

int ScreenView::MsgBox(const QString &prompt, int style, const QString &title)
{
    // A message box is modal: the busy pointer must not hide it.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = m_msgBox(MsgBoxCall{prompt, style, title});
    if (busy)
        QApplication::restoreOverrideCursor();
    return answer;
}

int ScreenView::showMessageBox(const MsgBoxCall &call)
{
    return defaultMsgBox(call);
}

ScreenView::MsgBoxHandler ScreenView::setMsgBoxHandler(MsgBoxHandler handler)
{
    MsgBoxHandler old = m_msgBox;
    m_msgBox = handler ? std::move(handler) : MsgBoxHandler(defaultMsgBox);
    return old;
}

void ScreenView::setMousePointer(int pointer)
{
    if (pointer == m_mousePointer)
        return;
    m_mousePointer = pointer;
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (pointer == vbHourglass)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

QString ScreenView::GetSetting(const QString &appName, const QString &section, const QString &key,
                               const QString &defaultValue) const
{
    QSettings s(appName, appName);
    return s.value(section + QLatin1Char('/') + key, defaultValue).toString();
}

void ScreenView::SaveSetting(const QString &appName, const QString &section, const QString &key, const QString &value)
{
    QSettings s(appName, appName);
    s.setValue(section + QLatin1Char('/') + key, value);
    s.sync();
}

QString ScreenView::Dir(const QString &path) const
{
    const QFileInfo fi(path);
    return fi.isFile() ? fi.fileName() : QString();
}

void ScreenView::Shell(const QString &path, int)
{
    const QFileInfo fi(path);
    if (!fi.isFile() || !fi.isExecutable())
        throw ScreenError(QStringLiteral("File not found: %1").arg(path));
    if (!QProcess::startDetached(path, {}))
        throw ScreenError(QStringLiteral("The program %1 could not be started.").arg(path));
}

void ScreenView::guard(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const DataError &e) {
        MsgBox(e.message());
    } catch (const ScreenError &e) {
        MsgBox(e.description());
    } catch (const std::bad_alloc &) {
        MsgBox(QStringLiteral("There is not enough memory to finish this. Nothing was changed."));
    } catch (const std::exception &e) {
        MsgBox(QString::fromLocal8Bit(e.what()));
    }
}

// ------------------------------------------------------ window placement

QRect screenAreaFor(const QWidget *anchor)
{
    QScreen *screen = nullptr;
    if (anchor && anchor->isVisible())
        screen = QGuiApplication::screenAt(anchor->frameGeometry().center());
    if (!screen && anchor)
        screen = anchor->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QRect fitInArea(const QRect &outer, const QMargins &frame, const QRect &area, const QRect &centreOn)
{
    if (area.isEmpty())
        return outer;
    const int minW = frame.left() + frame.right() + 1, minH = frame.top() + frame.bottom() + 1;
    QRect r(outer.topLeft(), QSize(std::max(minW, std::min(outer.width(), area.width())),
                                   std::max(minH, std::min(outer.height(), area.height()))));
    if (centreOn.isValid())
        r.moveCenter(centreOn.center());
    // Right and bottom first, so that the title bar stays reachable.
    r.moveRight(std::min(r.right(), area.right()));
    r.moveBottom(std::min(r.bottom(), area.bottom()));
    r.moveLeft(std::max(r.left(), area.left()));
    r.moveTop(std::max(r.top(), area.top()));
    return r;
}

QMargins frameOf(const QWidget *window, const QWidget *anchor)
{
    auto margins = [](const QWidget *w) {
        const QRect outer = w->frameGeometry(), inner = w->geometry();
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                        outer.bottom() - inner.bottom());
    };
    if (window && window->isVisible())
        return margins(window);
    if (anchor && anchor->isVisible())
        return margins(anchor);
    return QMargins();
}

void keepOnScreen(QWidget *window, const QWidget *anchor)
{
    if (!window || window->isMaximized() || window->isFullScreen() || window->isMinimized())
        return;
    if (anchor == window)
        anchor = nullptr;
    const QRect area = screenAreaFor(anchor ? anchor : window);
    const QMargins frame = frameOf(window, anchor);
    const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
    // pos() is where the frame begins, also before the window is first shown.
    const QRect outer(window->pos(), window->size() + extra);
    const bool placed = window->isVisible() || window->testAttribute(Qt::WA_Moved);
    const QRect centre = placed ? QRect() : (anchor && anchor->isVisible() ? anchor->frameGeometry() : area);
    const QRect fitted = fitInArea(outer, frame, area, centre);
    if (fitted.size() != outer.size())
        window->resize(fitted.size() - extra);
    if (fitted.topLeft() != outer.topLeft() || !placed)
        window->move(fitted.topLeft());
}

} // namespace pv
