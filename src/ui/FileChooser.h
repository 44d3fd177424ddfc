#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace pv {

// What a file dialog is asked for.
struct FileRequest {
    enum Mode { Open, Save };
    Mode mode = Open;
    QString caption;
    QString suggested; // a folder or a file name
    QString filter;    // "JSON files (*.json);;CSV files (*.csv)"
    QString *selectedFilter = nullptr;
};

// Every file dialog goes through here. Tests install a handler that picks
// the file at once, since a native dialog would block a headless test.
using FileChooserHandler = std::function<QString(const FileRequest &)>;
// Returns the handler that was installed before; an empty one restores the
// standard dialog.
FileChooserHandler setFileChooser(FileChooserHandler handler);

// The chosen file, or an empty text when the user cancelled.
QString chooseFile(QWidget *parent, const FileRequest &request);

// A PDF file to save, offered in the home folder under `name` made safe for
// a file name (`fallback` when nothing of it is left); ".pdf" is added when
// the user leaves it out. Empty when the user cancelled.
QString choosePdfFile(QWidget *parent, const QString &caption, const QString &name, const QString &fallback);

} // namespace pv
