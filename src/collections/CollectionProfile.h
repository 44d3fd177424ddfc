#pragma once

#include <QString>

#include <array>
#include <string_view>

namespace pv {

// The games windows and the sayings windows behave alike except for the busy
// pointer, the unload handler and one step of Delete.
enum class CollectionVariant { Games, Sayings };

// Games: name over instructions. Numbered: a small number box over a text
// that spans the window. Toasting: category over toast.
enum class CollectionLayout { Games, Numbered, Toasting };

// One of the two bound boxes: its index in txtFields, the column it shows,
// and the text of the label of the same index beside it.
struct CollectionBox {
    int index;
    const char *column;
    const char *label; // nullptr: the box has no label
};

// Everything in which the nine collection windows differ.
struct CollectionProfile {
    const char *form;
    const char *caption;
    const char *recordSource;
    CollectionBox shortBox;
    int shortMaxLength; // 0: no limit of its own
    CollectionBox longBox;
    const char *counterPrefix;
    const char *endMessage;
    const char *beginningMessage;
    CollectionVariant variant;
    CollectionLayout layout;
    const char *heading; // Label1; nullptr where the window has none
    // What one row is called, for the messages of the empty-list cases.
    const char *one;
    const char *many;
};

const std::array<CollectionProfile, 9> &collectionProfiles();

// The profile of a window by its form name; throws std::out_of_range for a
// name that is not one of the nine.
const CollectionProfile &collectionProfile(std::string_view form);

// What a button says when it finds no row to act on.
QString emptyListMessage(const CollectionProfile &p);       // Beginning, End of List
QString nothingToDeleteMessage(const CollectionProfile &p); // Delete
QString listEmptiedMessage(const CollectionProfile &p);     // Delete took the last row
QString nothingChangedMessage();                            // Update
QString noRowToSaveMessage(const CollectionProfile &p);     // Update, typed past the end
QString notWholeNumberMessage(const CollectionProfile &p);  // letters in a number box

} // namespace pv
