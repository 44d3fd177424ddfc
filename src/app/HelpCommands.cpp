#include "app/HelpCommands.h"

#include "app/frmHelp.h"
#include "ui/ScreenView.h"

#include <QFileInfo>
#include <QHelpEngine>

namespace pv
{

namespace
{

enum class HelpCommand { Contents, PartialKey };

frmHelp *loadedViewer()
{
    for (Form *form : Screen().forms())
        if (auto *viewer = dynamic_cast<frmHelp *>(form))
            return viewer;
    return nullptr;
}

void showHelp(const QString &mainCaption, HelpCommand command)
{
    ScreenView &sv = Screen();
    const QString file = sv.App().HelpFile;
    if (file.isEmpty()) {
        sv.MsgBox(kNoHelpMessage, vbInformation, mainCaption);
        return;
    }
    try {
        frmHelp *viewer = loadedViewer();
        const QString wanted = QFileInfo(file).absoluteFilePath();
        if (!viewer || viewer->helpFile() != wanted) {
            std::unique_ptr<QHelpEngine> engine = frmHelp::openHelpFile(file);
            // A viewer still showing another help file makes way for the new one.
            if (viewer)
                sv.Unload(viewer);
            viewer = sv.Load<frmHelp>();
            viewer->setHelpEngine(std::move(engine));
        }
        if (command == HelpCommand::Contents)
            viewer->showContents();
        else
            viewer->showSearch(QString());
        sv.Show(viewer);
    } catch (const ScreenError &e) {
        sv.MsgBox(e.description());
    }
}

} // namespace

void helpContents(const QString &mainCaption)
{
    showHelp(mainCaption, HelpCommand::Contents);
}

void helpSearch(const QString &mainCaption)
{
    showHelp(mainCaption, HelpCommand::PartialKey);
}

} // namespace pv
