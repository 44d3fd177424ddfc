#include "app/frmHelp.h"

#include "app/HelpBrowser.h"

#include "ui_frmHelp.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHelpContentItem>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexModel>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QLineEdit>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>

frmHelp::frmHelp(QWidget *parent) : QMainWindow(parent)
{
    Ui::frmHelp ui;
    ui.setupUi(this);
    splHelp = ui.splHelp;
    tabNavigation = ui.tabNavigation;
    tabContents = ui.tabContents;
    tabIndex = ui.tabIndex;
    tabSearch = ui.tabSearch;
    txtIndexKeyword = ui.txtIndexKeyword;
    brwHelp = ui.brwHelp;
    actBack = ui.actBack;
    actForward = ui.actForward;
    actHome = ui.actHome;
    m_contentsLayout = ui.contentsLayout;
    m_indexLayout = ui.indexLayout;
    m_searchLayout = ui.searchLayout;
    brwHelp->setAccessibleName(tr("Help page"));
    splHelp->setStretchFactor(1, 1);
    splHelp->setSizes({300, 600});

    connect(actBack, &QAction::triggered, brwHelp, &QTextBrowser::backward);
    connect(actForward, &QAction::triggered, brwHelp, &QTextBrowser::forward);
    connect(actHome, &QAction::triggered, this, [this] { showPage(homePage()); });
    connect(brwHelp, &QTextBrowser::backwardAvailable, actBack, &QAction::setEnabled);
    connect(brwHelp, &QTextBrowser::forwardAvailable, actForward, &QAction::setEnabled);

    // Help pages link only to one another; anything else opens outside.
    brwHelp->setOpenLinks(false);
    connect(brwHelp, &QTextBrowser::anchorClicked, this, &frmHelp::brwHelp_AnchorClicked);
    connect(brwHelp, &QTextBrowser::sourceChanged, this, &frmHelp::brwHelp_SourceChanged);
    connect(txtIndexKeyword, &QLineEdit::textChanged, this, &frmHelp::txtIndexKeyword_Change);
    connect(txtIndexKeyword, &QLineEdit::returnPressed, this, &frmHelp::txtIndexKeyword_Enter);

    // Esc and Ctrl+W close the viewer, as they close help in other programs.
    for (const QKeySequence &key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, [this] { pv::Screen().Unload(this); });
}

frmHelp::~frmHelp()
{
    // The engine's widgets look back at the engine: they go first.
    delete contentWidget;
    delete indexWidget;
    delete queryWidget;
    delete resultWidget;
    delete m_engine;
}

std::unique_ptr<QHelpEngine> frmHelp::openHelpFile(const QString &path)
{
    const QFileInfo fi(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!fi.isFile())
        throw pv::ScreenError(QStringLiteral("The help file %1 was not found.").arg(shown));
    if (!fi.isReadable())
        throw pv::ScreenError(QStringLiteral("The help file %1 cannot be read.").arg(shown));

    auto engine = std::make_unique<QHelpEngine>(fi.absoluteFilePath());
    engine->setReadOnly(true);
    engine->setUsesFilterEngine(true);
    // The search engine indexes when setup finishes, so it must exist first.
    engine->searchEngine();
    if (!engine->setupData()) {
        QString why = engine->error();
        if (why.isEmpty())
            why = QStringLiteral("it is not a help file");
        throw pv::ScreenError(QStringLiteral("Install Pourvale again to put its help back: the help file %1 cannot "
                                             "be opened (%2).")
                                  .arg(shown, why));
    }
    if (engine->registeredDocumentations().isEmpty())
        throw pv::ScreenError(QStringLiteral("The help file %1 cannot be opened: it holds no help pages.").arg(shown));
    return engine;
}

void frmHelp::setHelpEngine(std::unique_ptr<QHelpEngine> engine)
{
    if (m_engine || !engine)
        return;
    m_engine = engine.release();
    brwHelp->setHelpEngine(m_engine);

    contentWidget = m_engine->contentWidget();
    contentWidget->setObjectName(QStringLiteral("contentWidget"));
    m_contentsLayout->addWidget(contentWidget);
    connect(contentWidget.data(), &QHelpContentWidget::linkActivated, this, &frmHelp::showPage);
    connect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, this, &frmHelp::contentWidget_Created);

    indexWidget = m_engine->indexWidget();
    indexWidget->setObjectName(QStringLiteral("indexWidget"));
    m_indexLayout->addWidget(indexWidget);
    connect(indexWidget.data(), &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink &document) { showPage(document.url); });
    connect(indexWidget.data(), &QHelpIndexWidget::documentsActivated, this, &frmHelp::indexWidget_DocumentsActivated);
    connect(m_engine->indexModel(), &QHelpIndexModel::indexCreated, this, &frmHelp::txtIndexKeyword_Change);

    QHelpSearchEngine *search = m_engine->searchEngine();
    queryWidget = search->queryWidget();
    queryWidget->setObjectName(QStringLiteral("queryWidget"));
    resultWidget = search->resultWidget();
    resultWidget->setObjectName(QStringLiteral("resultWidget"));
    m_searchLayout->addWidget(queryWidget);
    m_searchLayout->addWidget(resultWidget, 1);
    connect(queryWidget.data(), &QHelpSearchQueryWidget::search, this, &frmHelp::queryWidget_Search);
    connect(resultWidget.data(), &QHelpSearchResultWidget::requestShowLink, this, &frmHelp::showPage);
    connect(search, &QHelpSearchEngine::indexingFinished, this, &frmHelp::searchEngine_IndexingFinished);

    contentWidget->setAccessibleName(tr("Contents"));
    indexWidget->setAccessibleName(tr("Keywords"));
    // The help engine's search panes leave their boxes and icon buttons
    // unnamed; assistive tools get the tips, or what the boxes are for.
    for (QWidget *pane : {static_cast<QWidget *>(queryWidget.data()), static_cast<QWidget *>(resultWidget.data())}) {
        for (QAbstractButton *b : pane->findChildren<QAbstractButton *>())
            if (b->accessibleName().isEmpty() && b->text().isEmpty() && !b->toolTip().isEmpty())
                b->setAccessibleName(b->toolTip());
    }
    for (QLineEdit *e : queryWidget->findChildren<QLineEdit *>())
        if (e->accessibleName().isEmpty())
            e->setAccessibleName(tr("Words to search for"));
    // The result pane's four page buttons carry neither text nor tip; they
    // come first, previous, next, last.
    QList<QAbstractButton *> pages;
    for (QAbstractButton *b : resultWidget->findChildren<QAbstractButton *>())
        if (b->accessibleName().isEmpty() && b->text().isEmpty())
            pages << b;
    if (pages.size() == 4) {
        const QStringList names{tr("First page of results"), tr("Previous page of results"),
                                tr("Next page of results"), tr("Last page of results")};
        for (int i = 0; i < 4; ++i)
            pages[i]->setAccessibleName(names[i]);
    }
    for (QTextBrowser *t : resultWidget->findChildren<QTextBrowser *>())
        if (t->accessibleName().isEmpty())
            t->setAccessibleName(tr("Pages found"));

    // Tab reads the window from the left: the tabs, the page of the tab that
    // is chosen (the others are hidden and skipped), then the help page.
    QList<QWidget *> chain{tabNavigation->tabBar(), contentWidget, txtIndexKeyword, indexWidget};
    for (QWidget *pane : {static_cast<QWidget *>(queryWidget.data()), static_cast<QWidget *>(resultWidget.data())})
        for (QWidget *w : pane->findChildren<QWidget *>())
            if (w->focusPolicy() & Qt::TabFocus)
                chain << w;
    chain << brwHelp;
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

QString frmHelp::helpFile() const
{
    return m_engine ? m_engine->collectionFile() : QString();
}

QUrl frmHelp::homePage() const
{
    if (!m_engine)
        return QUrl();
    QHelpContentModel *model = m_engine->contentModel();
    if (model->isCreatingContents() || model->rowCount() == 0)
        return QUrl();
    const QHelpContentItem *top = model->contentItemAt(model->index(0, 0));
    return top ? top->url() : QUrl();
}

void frmHelp::showContents()
{
    tabNavigation->setCurrentWidget(tabContents);
    if (brwHelp->source().isEmpty()) {
        m_homeWanted = true;
        contentWidget_Created();
    }
    if (contentWidget)
        contentWidget->setFocus();
}

void frmHelp::showSearch(const QString &key)
{
    tabNavigation->setCurrentWidget(tabIndex);
    txtIndexKeyword->setText(key);
    txtIndexKeyword->setFocus();
    if (brwHelp->source().isEmpty()) {
        m_homeWanted = true;
        contentWidget_Created();
    }
}

void frmHelp::showPage(const QUrl &url)
{
    if (url.isValid() && !url.isEmpty())
        brwHelp->setSource(url);
}

void frmHelp::brwHelp_AnchorClicked(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("qthelp"))
        showPage(url);
    else if (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto"))
        QDesktopServices::openUrl(url);
    else
        // A help file is a file like any other: its links start no program
        // or local file of their own choosing.
        pv::Screen().MsgBox(QStringLiteral("This link of the help is not followed: %1")
                                .arg(url.toDisplayString(QUrl::RemovePassword)));
}

void frmHelp::brwHelp_SourceChanged(const QUrl &url)
{
    if (!contentWidget)
        return;
    QUrl page = url;
    page.setFragment(QString());
    const QModelIndex at = contentWidget->indexOf(page);
    if (at.isValid())
        contentWidget->setCurrentIndex(at);
}

void frmHelp::contentWidget_Created()
{
    if (contentWidget)
        contentWidget->expandToDepth(0);
    if (!m_homeWanted)
        return;
    const QUrl home = homePage();
    if (home.isEmpty())
        return; // comes back when the contents are read
    m_homeWanted = false;
    if (brwHelp->source().isEmpty())
        showPage(home);
}

void frmHelp::txtIndexKeyword_Change()
{
    if (indexWidget)
        indexWidget->filterIndices(txtIndexKeyword->text());
}

void frmHelp::txtIndexKeyword_Enter()
{
    if (indexWidget)
        indexWidget->activateCurrentItem();
}

void frmHelp::indexWidget_DocumentsActivated(const QList<QHelpLink> &documents)
{
    // A keyword on several pages: the first one, in the order the help lists them.
    if (!documents.isEmpty())
        showPage(documents.first().url);
}

void frmHelp::queryWidget_Search()
{
    if (!m_engine || !queryWidget)
        return;
    const QString input = queryWidget->searchInput();
    if (!m_searchReady) {
        m_pendingSearch = input;
        return;
    }
    m_engine->searchEngine()->search(input);
}

void frmHelp::searchEngine_IndexingFinished()
{
    m_searchReady = true;
    if (!m_pendingSearch.isEmpty()) {
        const QString input = m_pendingSearch;
        m_pendingSearch.clear();
        m_engine->searchEngine()->search(input);
    }
}
