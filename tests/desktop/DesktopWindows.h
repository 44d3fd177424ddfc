#pragma once
// Opens each window of the program the way the program opens it, for the
// desktop checks that walk every window.

#include "TestSupport.h"

#include "../web/FakePage.h"
#include "app/HelpBrowser.h"
#include "app/HelpCommands.h"
#include "app/frmAbout.h"
#include "app/frmHelp.h"
#include "app/frmSplash.h"
#include "browser/frmMain.h"
#include "collections/frmBgames.h"
#include "collections/frmCards.h"
#include "collections/frmDice.h"
#include "collections/frmJoke.h"
#include "collections/frmLines.h"
#include "collections/frmMedia.h"
#include "collections/frmMoney.h"
#include "collections/frmSpeech.h"
#include "collections/frmToasting.h"
#include "reference/frmGlasses.h"
#include "reference/frmLiquor.h"
#include "reference/frmUtensils.h"
#include "ui/Twips.h"
#include "web/frmBrowser.h"

#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QPalette>
#include <QStyle>
#include <QTemporaryDir>

namespace desk
{

inline QStringList windowNames()
{
    return {QStringLiteral("frmSplash"),   QStringLiteral("frmMain"),    QStringLiteral("frmAbout"),
            QStringLiteral("frmHelp"),     QStringLiteral("frmGlasses"), QStringLiteral("frmUtensils"),
            QStringLiteral("frmLiquor"),   QStringLiteral("frmBrowser"), QStringLiteral("frmCards"),
            QStringLiteral("frmDice"),     QStringLiteral("frmMoney"),   QStringLiteral("frmMedia"),
            QStringLiteral("frmSpeech"),   QStringLiteral("frmBgames"),  QStringLiteral("frmJoke"),
            QStringLiteral("frmToasting"), QStringLiteral("frmLines")};
}

// A copy of the built help file, so its search index is written there.
inline QString helpFile()
{
    static QTemporaryDir dir;
    const QString file = dir.filePath(pv::kHelpFileName);
    if (!QFile::exists(file))
        for (const char *name : {"pourvale.qhc", "pourvale.qch"})
            QFile::copy(QStringLiteral(PV_APP_DIR "/") + QLatin1String(name), dir.filePath(QLatin1String(name)));
    return file;
}

template <class T> T *showSingle()
{
    T *form = pv::Screen().Load<T>();
    pv::Screen().Show(form);
    return form;
}

// Opens the window and lets it settle (rows read, pages laid out). The main
// window opens at its designed size. An App.Path with a catalogue must be set.
inline QWidget *open(const QString &name)
{
    pv::ScreenView &sv = pv::Screen();
    QWidget *w = nullptr;
    if (name == QLatin1String("frmSplash")) {
        w = showSingle<frmSplash>();
    } else if (name == QLatin1String("frmMain")) {
        auto *m = showSingle<frmMain>();
        m->resize(pv::twipsToPx(9900), pv::twipsToPx(7260) + m->menuBar()->sizeHint().height());
        for (int i = 0; i < 100 && !m->Data1->cursor(); ++i)
            QTest::qWait(10);
        w = m;
    } else if (name == QLatin1String("frmAbout")) {
        w = showSingle<frmAbout>();
    } else if (name == QLatin1String("frmHelp")) {
        sv.App().HelpFile = helpFile();
        pv::helpContents(QStringLiteral("Pourvale"));
        for (pv::Form *f : sv.forms())
            if (auto *h = dynamic_cast<frmHelp *>(f))
                w = h;
        if (auto *h = qobject_cast<frmHelp *>(w))
            for (int i = 0; i < 500 && h->brwHelp->source().isEmpty(); ++i)
                QTest::qWait(10);
    } else if (name == QLatin1String("frmGlasses")) {
        w = showSingle<frmGlasses>();
    } else if (name == QLatin1String("frmUtensils")) {
        w = showSingle<frmUtensils>();
    } else if (name == QLatin1String("frmLiquor")) {
        w = showSingle<frmLiquor>();
    } else if (name == QLatin1String("frmCards")) {
        w = showSingle<frmCards>();
    } else if (name == QLatin1String("frmDice")) {
        w = showSingle<frmDice>();
    } else if (name == QLatin1String("frmMoney")) {
        w = showSingle<frmMoney>();
    } else if (name == QLatin1String("frmMedia")) {
        w = showSingle<frmMedia>();
    } else if (name == QLatin1String("frmSpeech")) {
        w = showSingle<frmSpeech>();
    } else if (name == QLatin1String("frmBgames")) {
        w = showSingle<frmBgames>();
    } else if (name == QLatin1String("frmJoke")) {
        w = showSingle<frmJoke>();
    } else if (name == QLatin1String("frmToasting")) {
        w = showSingle<frmToasting>();
    } else if (name == QLatin1String("frmLines")) {
        w = showSingle<frmLines>();
    } else if (name == QLatin1String("frmBrowser")) {
        auto *b = new frmBrowser([](QWidget *host) { return new FakePage(host); });
        sv.LoadNew(b);
        sv.Show(b);
        w = b;
    }
    if (auto *rows = w ? w->findChild<pv::DataControl *>(QStringLiteral("datPrimaryRS")) : nullptr)
        for (int i = 0; i < 100 && !rows->cursor(); ++i)
            QTest::qWait(10);
    if (w) {
        w->activateWindow();
        QApplication::processEvents();
    }
    return w;
}

// A dark desktop theme as a platform theme hands it to the program: the
// style's own palette with dark colours in every role.
inline QPalette darkPalette()
{
    QPalette p(QColor(0x31, 0x36, 0x3b), QColor(0x2a, 0x2e, 0x32));
    const QColor text(0xfc, 0xfc, 0xfc), dimmed(0x7f, 0x84, 0x89);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText,
                                     QPalette::HighlightedText, QPalette::ToolTipText})
        p.setColor(role, text);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, dimmed);
    p.setColor(QPalette::Base, QColor(0x1b, 0x1e, 0x20));
    p.setColor(QPalette::AlternateBase, QColor(0x23, 0x26, 0x29));
    p.setColor(QPalette::ToolTipBase, QColor(0x31, 0x36, 0x3b));
    p.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    p.setColor(QPalette::Link, QColor(0x1d, 0x99, 0xf3));
    p.setColor(QPalette::LinkVisited, QColor(0x9b, 0x59, 0xb6));
    p.setColor(QPalette::PlaceholderText, QColor(0xa0, 0xa0, 0xa0));
    return p;
}

// Switches the whole program to the dark theme or back to the style's own.
inline void useDarkTheme(bool dark)
{
    QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
}

} // namespace desk
