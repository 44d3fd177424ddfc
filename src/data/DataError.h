#pragma once

#include <QString>
#include <exception>

namespace pv {

// Error numbers of the catalogue engine. The numbers are what windows see in
// their error notifications; the texts come from one table (DataError.cpp).
enum DataErrorNumber : int {
    ErrInvalidPattern = 93,
    ErrGeneral = 3000,
    ErrNoRowForTyping = 3020,
    ErrNoCurrentRecord = 3021,
    ErrFileNotFound = 3024,
    ErrDiskFull = 3026,
    ErrResources = 3035,
    ErrReadOnly = 3027,
    ErrDiskIo = 3043,
    ErrCannotOpen = 3049,
    ErrSyntax = 3077,
    ErrNoSuchSource = 3078,
    ErrNotValidBookmark = 3159,
    ErrRecordDeleted = 3167,
    ErrLocked = 3260,
    ErrNoSuchColumn = 3265,
    ErrValueRequired = 3315,
    ErrNotCatalogue = 3343,
    ErrNotTable = 3372,
    ErrNotOpen = 3420,
    ErrNotWholeNumber = 3421,
};

class DataError : public std::exception {
public:
    // `detail` fills the %1 of the table's text (a path, a name ...).
    explicit DataError(int number, const QString &detail = QString());

    int number() const noexcept { return m_number; }
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

    // The standard text of an error number, without any detail filled in.
    static QString standardText(int number);

private:
    int m_number;
    QString m_message;
    QByteArray m_utf8;
};

} // namespace pv
