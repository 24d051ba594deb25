// Text and byte rules of the image list's property pages that need no window: the digits-only
// key filter, colour boxes, unique keys, the open-file dialog's filter and result texts, and the
// number of frames an animated cursor file holds. No Windows API here.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kal {

// Discards (sets to 0) a key code that is not a digit or Backspace (8).
void FilterDigitKey(std::int32_t& keyCode);

// The leading decimal number of a colour box, rounded half to even and held to 0..255; 0 when
// the text starts with no number.
std::int32_t ColourComponent(std::wstring_view text);

// `base` when `counter` is 0, else base ":" counter; the counter grows while `exists` holds the
// candidate, and keeps the last number used.
std::wstring UniqueKey(const std::wstring& base, std::int32_t& counter,
                       const std::function<bool(const std::wstring&)>& exists);

// A dialog filter in the "description|pattern|..." form as the system wants it: every "|" and
// ":" a NUL, two NULs at the end.
std::wstring FilterToNulls(std::wstring_view filter);
// Entry `index` (1-based) of a NUL-separated filter: its description and pattern joined by a
// NUL; "" when there is no such entry.
std::wstring FilterEntry(std::wstring_view nullFilter, std::int32_t index);

// What an open-file buffer holds: with multi-selection, the text up to its first pair of NULs
// (the folder and the chosen names separated by single NULs), or up to its first NUL when there
// is no pair; otherwise the text up to its first NUL.
std::wstring FileBufferText(std::wstring_view buffer, bool multiSelect);

// The files of an open-file result: one path when it holds no NUL, else the folder (a "\" added
// when missing) joined with each name that follows it.
std::vector<std::wstring> SplitFileSelection(std::wstring_view selection);

// The file name of a path without its folder.
std::wstring FileNamePart(std::wstring_view path);
// The text after the last "." of the file name; "" when it has none.
std::wstring FileExtensionPart(std::wstring_view path);
// The file name without "." and its extension.
std::wstring FileTitlePart(std::wstring_view path);

// The number of steps an animated cursor file (a RIFF "ACON" with its "anih" header) says it
// plays: the step count, else the frame count; nothing for any other file.
std::optional<std::uint32_t> AnimatedCursorSteps(std::span<const std::uint8_t> file);

}  // namespace kal
