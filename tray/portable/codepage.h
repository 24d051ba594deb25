// Characters between the program's wide text, UTF-16, Windows-1252 and UTF-8, as the backup file
// needs them. Wide text is UTF-16 on Windows and UTF-32 elsewhere; both are handled.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kal {

// The code points of wide text; half of a surrogate pair stands for itself.
std::vector<char32_t> CodePoints(std::wstring_view text);
void AppendCodePoint(std::wstring& text, char32_t c);
std::wstring WideFromUtf16(std::u16string_view units);
std::u16string Utf16FromWide(std::wstring_view text);

// A character XML 1.0 allows in a document: tab, line feed, carriage return, U+0020 to U+D7FF,
// U+E000 to U+FFFD and U+10000 to U+10FFFF.
bool IsXmlChar(char32_t c);

// The Windows-1252 byte of a character; nullopt for characters outside the code page (the five
// bytes the code page leaves undefined count as outside).
std::optional<std::uint8_t> Cp1252Byte(char32_t c);
// The character of a Windows-1252 byte; the undefined bytes give the control characters of the
// same number, as Windows reads them.
char32_t Cp1252Char(std::uint8_t byte);

// Decodes strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF); nullopt and
// the offset of the first bad byte otherwise.
std::optional<std::u32string> DecodeUtf8(std::string_view bytes, std::size_t* badOffset = nullptr);

}  // namespace kal
