#pragma once

#include "ui/ScreenView.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace pv {
class CollectionBrowser;
}

namespace pvtest {

// Every test runs with its own HOME and test-mode standard paths, set before
// any QSettings exists. Call first thing in main (PV_TEST_MAIN does).
void prepareEnvironment();

// Records every message box instead of showing it, and answers OK at once.
class MsgRecorder {
public:
    MsgRecorder();
    ~MsgRecorder();
    QList<pv::MsgBoxCall> calls;
    int yesNoAnswer = pv::vbYes; // what a Yes/No question is answered
    QStringList prompts() const;
    QString last() const { return calls.isEmpty() ? QString() : calls.last().prompt; }
    void clear() { calls.clear(); }

private:
    pv::ScreenView::MsgBoxHandler m_previous;
};

// A catalogue built from the bundled seed (content/catalogue) into a fresh
// temporary application folder; ScreenView's App.Path points there.
class AppFolder {
public:
    enum class Seed { Bundled, Small };
    explicit AppFolder(Seed seed = Seed::Bundled);
    QString path() const { return m_dir.path(); }
    QString catalogue() const;

private:
    QTemporaryDir m_dir;
};

// Writes a small catalogue from in-memory seed text: `drinks` in the drink
// seed format, `tables` maps a collection table to its seed text.
void writeCatalogue(const QString &path, const QString &drinks,
                    const QMap<QString, QString> &tables = {}, bool fillEmptyTables = true);

// The small drink seed used by many tests: eight drinks, known order.
QString smallDrinkSeed();

// Runs one SQL statement on a catalogue file (to alter fixtures).
void execSql(const QString &path, const QString &sql);
QStringList queryColumn(const QString &path, const QString &sql);

// Unloads every loaded form and lets deferred deletes run.
void unloadAll();

// Types text as key presses, one character (one code point) per press, as a
// keyboard or an input method delivers it.
void typeText(QWidget *w, const QString &text);

// Runs `fn` on the named top-level dialog once it is shown (a dialog runs its own loop).
void onDialog(const QString &name, std::function<void(QWidget *)> fn);

// Loads one of the nine collection windows by its form name ("frmCards" ...).
pv::CollectionBrowser *loadCollection(const QString &form);

} // namespace pvtest

#define PV_TEST_MAIN(TestClass)                                                                                        \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        pvtest::prepareEnvironment();                                                                                  \
        QApplication app(argc, argv);                                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestClass tc;                                                                                                  \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
