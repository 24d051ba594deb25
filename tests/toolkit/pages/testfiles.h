// Small image files made for the page tests: icons, cursors, animated cursors, bitmaps and GIFs
// of solid colours, written into a folder of the test's own.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/hextext.h"

namespace kal::test {

// Colours are 0xRRGGBB.
Bytes IconFile(int size, std::uint32_t rgb, bool cursor = false);
// One frame per colour; `steps` 0 writes the frame count as the step count.
Bytes AnimatedCursorFile(int size, const std::vector<std::uint32_t>& frames, std::uint32_t steps = 0);
// A 24-bit bitmap: `cells` squares of `size` side by side, each of its colour.
Bytes BitmapFile(int size, const std::vector<std::uint32_t>& cells);
// A GIF of `size` squared whose top-left pixel is `corner` and all others `rgb`.
Bytes GifFile(int size, std::uint32_t rgb, std::uint32_t corner);

// A folder under the temp folder, removed with everything in it when the owner goes.
class TestFolder {
public:
    explicit TestFolder(const std::wstring& name);
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    const std::wstring& Path() const { return path_; }
    // Writes the file and returns its full path.
    std::wstring Write(const std::wstring& name, const Bytes& content) const;

private:
    std::wstring path_;
};

// Files in the temp folder whose names begin with `prefix`.
std::vector<std::wstring> TempFilesStartingWith(const std::wstring& prefix);

}  // namespace kal::test
