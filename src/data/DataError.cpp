#include "data/DataError.h"

namespace pv {

namespace {

struct Entry {
    int number;
    const char *text;
};

// %1 is replaced by the error's detail; without one it reads as a general text.
constexpr Entry kTexts[] = {
    {ErrInvalidPattern, "The search pattern is not valid%1."},
    {ErrGeneral, "Try again; should it happen again, close the window and open it anew. The catalogue engine "
                 "reported an error%1."},
    {ErrNoRowForTyping, "There is no row here to save what was typed. Press Add first to start a new one."},
    {ErrNoCurrentRecord, "No current record."},
    {ErrFileNotFound, "Could not find the catalogue file%1."},
    {ErrDiskFull, "There is not enough free disk space to save the change to%1. Free some space and try again."},
    {ErrResources, "The catalogue%1 asked for more time, memory or temporary space than one step may take, so the "
                   "step was stopped. Nothing was changed."},
    {ErrNotTable, "The catalogue was not opened:%1 in it is a stored query, not a table, so its rows cannot be "
                  "trusted. Nothing in the file was changed."},
    {ErrDiskIo, "The disk reported an error while saving the change to%1; the change was not saved. Check the disk "
                "(or the network connection to it) and try again."},
    {ErrReadOnly, "The catalogue%1 is read-only; the change could not be saved."},
    {ErrCannotOpen, "The catalogue%1 is damaged or cannot be read."},
    {ErrSyntax, "The search criterion could not be understood%1."},
    {ErrNoSuchSource, "The catalogue has no table or stored query named%1."},
    {ErrNotValidBookmark, "There is no saved or changed row to go to."},
    {ErrRecordDeleted, "The row has been deleted."},
    {ErrLocked, "The catalogue%1 is in use by another program; the change could not be made. Try again in a moment."},
    {ErrNoSuchColumn, "The rows have no column named%1."},
    {ErrValueRequired, "%1 Nothing was saved; what you typed is kept."},
    {ErrNotCatalogue, "The file%1 is not a Pourvale catalogue."},
    {ErrNotOpen, "The catalogue is not open."},
    {ErrNotWholeNumber, "The box%1 takes whole numbers only, such as 12. Type a number, or leave the box empty."},
};

QString templateFor(int number)
{
    for (const Entry &e : kTexts)
        if (e.number == number)
            return QString::fromUtf8(e.text);
    return QStringLiteral("Catalogue error %1.").arg(number) + QStringLiteral("%1");
}

} // namespace

DataError::DataError(int number, const QString &detail) : m_number(number)
{
    QString t = templateFor(number);
    if (t.contains(QLatin1String("%1"))) {
        QString filled;
        if (number == ErrValueRequired) {
            // The detail is the whole sentence of what is missing.
            filled = detail.isEmpty() ? QStringLiteral("A value is required.") : detail;
        } else if (!detail.isEmpty()) {
            // Paths and names are quoted; a free-text detail follows a colon.
            const bool isName = number != ErrGeneral && number != ErrInvalidPattern && number != ErrSyntax;
            filled = isName ? QStringLiteral(" '") + detail + QLatin1Char('\'') : QStringLiteral(": ") + detail;
        }
        t = t.arg(filled);
    }
    m_message = t;
    m_utf8 = t.toUtf8();
}

QString DataError::standardText(int number)
{
    QString t = templateFor(number);
    if (number == ErrValueRequired)
        return DataError(number).message();
    return t.contains(QLatin1String("%1")) ? t.arg(QString()) : t;
}

} // namespace pv
