#include "ui/FileChooser.h"

#include <QDir>
#include <QFileDialog>

namespace pv {

namespace {
FileChooserHandler &handler()
{
    static FileChooserHandler h;
    return h;
}
} // namespace

FileChooserHandler setFileChooser(FileChooserHandler h)
{
    return std::exchange(handler(), std::move(h));
}

QString chooseFile(QWidget *parent, const FileRequest &request)
{
    if (handler())
        return handler()(request);
    if (request.mode == FileRequest::Save)
        return QFileDialog::getSaveFileName(parent, request.caption, request.suggested, request.filter,
                                            request.selectedFilter);
    return QFileDialog::getOpenFileName(parent, request.caption, request.suggested, request.filter,
                                        request.selectedFilter);
}

QString choosePdfFile(QWidget *parent, const QString &caption, const QString &name, const QString &fallback)
{
    QString safe = name;
    static const QString bad = QStringLiteral("/\\:*?\"<>|");
    for (QChar &c : safe)
        if (bad.contains(c) || c.unicode() < 32)
            c = QLatin1Char('_');
    safe = safe.trimmed().left(80);
    FileRequest request;
    request.mode = FileRequest::Save;
    request.caption = caption;
    request.suggested = QDir::home().filePath((safe.isEmpty() ? fallback : safe) + QStringLiteral(".pdf"));
    request.filter = QStringLiteral("PDF files (*.pdf)");
    QString file = chooseFile(parent, request);
    if (!file.isEmpty() && !file.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        file += QStringLiteral(".pdf");
    return file;
}

} // namespace pv
