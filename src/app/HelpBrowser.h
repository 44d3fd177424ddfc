#pragma once

#include <QTextBrowser>

class QHelpEngineCore;

namespace pv
{

// Shows help pages straight out of the help file: every qthelp: address (the
// page, its style sheet) is read from the help engine.
class HelpBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    explicit HelpBrowser(QWidget *parent = nullptr);

    void setHelpEngine(QHelpEngineCore *engine) { m_engine = engine; }

    QVariant loadResource(int type, const QUrl &name) override;

private:
    QHelpEngineCore *m_engine = nullptr;
};

} // namespace pv
