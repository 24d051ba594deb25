// Named integer values kept per window handle in process memory. Nothing is attached to the
// window itself: a window's records live until a user removes them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kal {

// 0 when the window has no record of that name. Names compare without regard to letter case.
std::intptr_t GetWindowProp(const void* hWnd, const std::wstring& name);
// Stores or replaces the record; always returns 1.
int SetWindowProp(const void* hWnd, const std::wstring& name, std::intptr_t value);
// Removes the record; a window left without records is forgotten.
void RemoveWindowProp(const void* hWnd, const std::wstring& name);

// Number of records kept for the window, and their names.
std::size_t WindowPropCount(const void* hWnd);
std::vector<std::wstring> WindowPropNames(const void* hWnd);

// Decimal text of a window handle, as the record names built from handles spell it.
std::wstring HandleText(const void* hWnd);

}  // namespace kal
