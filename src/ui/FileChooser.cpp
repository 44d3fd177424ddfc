#include "ui/FileChooser.h"

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

} // namespace pv
