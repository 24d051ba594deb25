// The numbered errors of the list view's object model: what each code raises and says.
#pragma once
#include <cstdint>

namespace kal {

enum ListViewErrorCode : int {
    kLvUnloaded = 1,         // the control's window is gone
    kLvNoListBar = 2,        // in the table; nothing raises it
    kLvNoListItem = 3,       // the item is gone
    kLvTypeMismatch = 4,     // an argument of the wrong kind
    kLvDuplicateKey = 5,     // the key is taken
    kLvSubscript = 6,        // an index or key that names nothing
    kLvOutOfMemory = 7,      // the list view refused an insertion
    kLvNoHeader = 8,         // a column that is gone or out of range
    kLvGroupEnable = 9,      // a work area that is gone
    kLvNoSubItem = 10,       // a sub-item whose column is gone
};

struct ListViewErrorEntry {
    std::int32_t number;
    const wchar_t* description;
};

// The entry of a code from 1 to 10; any other code reads as "Object has been unloaded.".
const ListViewErrorEntry& ListViewErrorOf(int code);

}  // namespace kal
