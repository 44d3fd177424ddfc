#pragma once

#include "ui/ScreenView.h"

#include <QHelpLink>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>

#include <memory>

class QAction;
class QBoxLayout;
class QLineEdit;
class QSplitter;
class QTabWidget;
class QHelpContentWidget;
class QHelpEngine;
class QHelpIndexWidget;
class QHelpSearchQueryWidget;
class QHelpSearchResultWidget;

namespace pv
{
class HelpBrowser;
}

// The help viewer: the help file's contents tree, its keyword index and a
// full-text search beside the page being read.
class frmHelp : public QMainWindow, public pv::Form
{
    Q_OBJECT

public:
    explicit frmHelp(QWidget *parent = nullptr);
    ~frmHelp() override;

    QWidget *widget() override { return this; }

    // Opens a help file; throws pv::ScreenError describing why it cannot.
    static std::unique_ptr<QHelpEngine> openHelpFile(const QString &path);
    // Shows the help file opened by openHelpFile (once per window).
    void setHelpEngine(std::unique_ptr<QHelpEngine> engine);
    QHelpEngine *helpEngine() const { return m_engine; }
    QString helpFile() const;

    // Brings up the contents (and the first page when none is shown yet).
    void showContents();
    // Brings up the keyword index with `key` typed in.
    void showSearch(const QString &key = QString());
    // The top page of the contents; empty until the contents are read.
    QUrl homePage() const;
    // True once the full-text index is built and searches can run.
    bool isSearchReady() const { return m_searchReady; }

    QSplitter *splHelp;
    QTabWidget *tabNavigation;
    QWidget *tabContents;
    QWidget *tabIndex;
    QWidget *tabSearch;
    QLineEdit *txtIndexKeyword;
    pv::HelpBrowser *brwHelp;
    QAction *actBack;
    QAction *actForward;
    QAction *actHome;
    // The help engine's own panes, there once a help file is shown.
    QPointer<QHelpContentWidget> contentWidget;
    QPointer<QHelpIndexWidget> indexWidget;
    QPointer<QHelpSearchQueryWidget> queryWidget;
    QPointer<QHelpSearchResultWidget> resultWidget;

public slots:
    void showPage(const QUrl &url);
    void brwHelp_AnchorClicked(const QUrl &url);
    void brwHelp_SourceChanged(const QUrl &url);
    void txtIndexKeyword_Change();
    void txtIndexKeyword_Enter();
    void indexWidget_DocumentsActivated(const QList<QHelpLink> &documents);
    void queryWidget_Search();
    void contentWidget_Created();
    void searchEngine_IndexingFinished();

private:
    QBoxLayout *m_contentsLayout;
    QBoxLayout *m_indexLayout;
    QBoxLayout *m_searchLayout;
    QHelpEngine *m_engine = nullptr;
    bool m_homeWanted = false;
    bool m_searchReady = false;
    QString m_pendingSearch;
};
