// Text and byte rules of the image list's property pages that need no window: the digits-only
// key filter, colour boxes, unique keys, the files of an open-file result, and the
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
