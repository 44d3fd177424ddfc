#pragma once

#include <QTextBrowser>

class QHelpEngineCore;

namespace pv
{

// Shows help pages straight out of the help file: every qthelp: address (the
// page, its style sheet) is read from the help engine. In a dark desktop
// theme the pages' style sheet is followed by the help file's dark one.
class HelpBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    explicit HelpBrowser(QWidget *parent = nullptr);

    void setHelpEngine(QHelpEngineCore *engine) { m_engine = engine; }

    QVariant loadResource(int type, const QUrl &name) override;

    // True when the pages are drawn in their dark colours: the palette's
    // text is lighter than its base.
    bool darkPages() const;

protected:
    void changeEvent(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QHelpEngineCore *m_engine = nullptr;
};

} // namespace pv
