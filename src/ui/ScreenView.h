#pragma once

#include <QHash>
#include <QList>
#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <new>
#include <map>
#include <stdexcept>
#include <typeindex>

class QEventLoop;
namespace pv {

// Set to true on a window whose placement is its own to restore as stored;
// ScreenView::Show then leaves it where it is.
inline constexpr char kKeepsPlacement[] = "pvKeepsPlacement";

// Every window of the program is a QWidget that also implements Form.
class Form {
public:
    virtual ~Form() = default;
    virtual QWidget *widget() = 0;
    virtual void Form_Load() {}
    // Set Cancel to a non-zero value to keep the window.
    virtual void Form_Unload(int &Cancel) { (void)Cancel; }
};

// A control inside a window that opens once the window's load handler has
// returned, and closes before the window goes. A part that cannot close (an
// edit that could not be saved) keeps its window open.
class FormPart {
public:
    virtual ~FormPart() = default;
    virtual void formLoaded() = 0;
    virtual bool formUnloading() = 0;
};

// A failure of a toolkit service (Shell, a help viewer ...) with a
// description a person can read.
class ScreenError : public std::runtime_error {
public:
    explicit ScreenError(const QString &description)
        : std::runtime_error(description.toStdString()), m_description(description) {}
    const QString &description() const { return m_description; }

private:
    QString m_description;
};

struct MsgBoxCall {
    QString prompt;
    int style = 0;
    QString title; // as passed; empty means the application title shows
};

enum MsgBoxStyle { vbOKOnly = 0, vbYesNo = 4, vbQuestion = 32, vbInformation = 64, vbDefaultButton2 = 256 };
enum MsgBoxResult { vbOK = 1, vbYes = 6, vbNo = 7 };

// A text from outside as a message box, a label or a title shows it: plain,
// cut to `maxChars` in all and runs without a space to `maxRun` characters,
// with "…" where it was cut. The whole text stays readable elsewhere (the
// box's details).
QString cutForDisplay(const QString &text, int maxChars = 1000, int maxRun = 120);
// The same for a window title, where Qt would also take "[*]" for a mark.
QString titleText(const QString &text);

// Tooltips show names and texts from files. Qt guesses rich text from the
// first tag it sees, so every tooltip of the program goes through one filter
// that shows it as plain text: escaped, broken into lines of at most
// `kToolTipLine` characters and cut after `kToolTipChars`.
inline constexpr int kToolTipLine = 120;
inline constexpr int kToolTipChars = 10000;

QString plainToolTip(const QString &text);

enum MousePointer { vbDefault = 0, vbHourglass = 11 };

struct AppInfo {
    QString Path; // the application folder, no trailing separator
    QString Title = QStringLiteral("Pourvale");
    QString HelpFile;
    int Major = 3;
    int Minor = 1;
    int Revision = 0;
};

// The one door to the toolkit's services: loaded windows, message boxes, the
// shared mouse pointer, the application object and per-user settings.
class ScreenView {
public:
    static ScreenView &instance();

    // --- Forms -------------------------------------------------------------
    // The single instance of T, created and loaded (Form_Load) when needed.
    template <class T>
    T *Load()
    {
        const std::type_index key(typeid(T));
        if (auto it = m_singles.find(key); it != m_singles.end())
            return dynamic_cast<T *>(it->second);
        T *form = new T();
        m_singles[key] = form;
        loadForm(form);
        return form;
    }
    // Loads a window that is not a single instance (created anew each time).
    void LoadNew(Form *form) { loadForm(form); }
    // Style 0: modeless, returns at once. Style 1: modal, returns on close.
    void Show(Form *form, int style = 0, QWidget *owner = nullptr);
    void Unload(Form *form);
    bool isLoaded(const Form *form) const;

    int formsCount() const { return int(m_forms.size()); }
    Form *Forms(int index) const;
    QList<Form *> forms() const;

    // The program ends when its last window is unloaded (set by main()).
    void setQuitWhenLastUnloaded(bool quit) { m_quitWhenEmpty = quit; }

    // --- Message boxes ----------------------------------------------------------
    using MsgBoxHandler = std::function<int(const MsgBoxCall &)>;
    int MsgBox(const QString &prompt, int style = vbOKOnly, const QString &title = QString());
    // Replaces the dialog (tests answer at once); returns the previous handler.
    // The real box, for a handler that records a call and still shows it.
    static int showMessageBox(const MsgBoxCall &call);
    MsgBoxHandler setMsgBoxHandler(MsgBoxHandler handler);

    // --- Screen.MousePointer --------------------------------------------------------
    int mousePointer() const { return m_mousePointer; }
    void setMousePointer(int pointer);

    // --- App ----------------------------------------------------------------
    AppInfo &App() { return m_app; }

    // --- Settings -----------------------------------------------------------
    QString GetSetting(const QString &appName, const QString &section, const QString &key,
                       const QString &defaultValue = QString()) const;
    void SaveSetting(const QString &appName, const QString &section, const QString &key, const QString &value);

    // --- Files and programs ---------------------------------------------------
    // Non-empty (the file name) when the file exists.
    QString Dir(const QString &path) const;
    // Starts a program; throws ScreenError when it cannot be started.
    void Shell(const QString &path, int style = 1);

    // Runs a handler; an error it leaves uncaught is shown in a message box
    // instead of ending the program.
    void guard(const std::function<void()> &handler);

private:
    ScreenView();
    void loadForm(Form *form);
    void forget(Form *form);

    QList<Form *> m_forms;
    std::map<std::type_index, Form *> m_singles;
    QList<Form *> m_unloading;
    QHash<Form *, QEventLoop *> m_modalLoops;
    MsgBoxHandler m_msgBox;
    int m_mousePointer = vbDefault;
    bool m_quitWhenEmpty = false;
    AppInfo m_app;
};

// --- Window placement (the screen the windows open on) --------------------
// The part of the screen a window may take: the desktop's free area of the
// screen that holds `anchor` (the main window), else of the primary screen.
QRect screenAreaFor(const QWidget *anchor);

// A window's outer rectangle (frame included) moved and cut so that it lies
// wholly inside `area`; the frame itself is not cut. `centreOn`, when valid,
// is where a window that has no place of its own yet is centred.
QRect fitInArea(const QRect &outer, const QMargins &frame, const QRect &area, const QRect &centreOn = QRect());

// The frame the window manager puts around `window`: its own once shown,
// else that of `anchor`, else none.
QMargins frameOf(const QWidget *window, const QWidget *anchor);

// Puts a window that is about to be shown wholly on the screen of `anchor`:
// a window not placed yet is centred on the anchor, a remembered size larger
// than the screen is cut to it.
void keepOnScreen(QWidget *window, const QWidget *anchor);

// Shorthand used by the windows.
inline ScreenView &Screen() { return ScreenView::instance(); }

// Connects a widget signal to a handler run under ScreenView::guard.
template <class Sender, class Signal, class Fn>
void onEvent(Sender *sender, Signal signal, QObject *context, Fn fn)
{
    QObject::connect(sender, signal, context, [fn](auto &&...) { Screen().guard(fn); });
}

} // namespace pv
