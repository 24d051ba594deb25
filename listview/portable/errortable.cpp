#include "listview/portable/errortable.h"

namespace kal {
namespace {

// Numbers above 1000 lie above the object-error base 0x80040000.
constexpr std::int32_t ObjectError(std::int32_t n) {
    return static_cast<std::int32_t>(0x80040000u + static_cast<std::uint32_t>(n));
}

constexpr ListViewErrorEntry kErrors[] = {
    {364, L"Object has been unloaded."},
    {ObjectError(25001), L"ListBar does not exist."},
    {ObjectError(25002), L"ListItem does not exist."},
    {13, L"Type Mismatch."},
    {457, L"This key is already associated with an element of this collection."},
    {9, L"Subscript out of range."},
    {7, L"Out of Memory."},
    {ObjectError(25003), L"Header does not exist."},
    {ObjectError(25004), L"Failed to set group enable state."},
    {ObjectError(25005), L"SubItem does not exist."},
};

}  // namespace

const ListViewErrorEntry& ListViewErrorOf(int code) {
    if (code < 1 || code > static_cast<int>(sizeof kErrors / sizeof kErrors[0])) return kErrors[0];
    return kErrors[code - 1];
}

}  // namespace kal
