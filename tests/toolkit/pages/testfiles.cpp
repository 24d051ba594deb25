#include "tests/toolkit/pages/testfiles.h"

#include <windows.h>

#include <filesystem>
#include <fstream>

#include "toolkit/images/iconrecord.h"

namespace kal::test {
namespace {

void U16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void U32(Bytes& b, std::uint32_t v) {
    U16(b, v & 0xFFFF);
    U16(b, v >> 16);
}
void Id(Bytes& b, const char* id) { b.insert(b.end(), id, id + 4); }

// A chunk: id, length, data, a pad byte to even length.
void Chunk(Bytes& b, const char* id, const Bytes& data) {
    Id(b, id);
    U32(b, static_cast<std::uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() & 1) b.push_back(0);
}

}  // namespace

Bytes IconFile(int size, std::uint32_t rgb, bool cursor) {
    const std::uint32_t maskRow = ((static_cast<std::uint32_t>(size) + 31) / 32) * 4;
    const std::uint32_t pixels = static_cast<std::uint32_t>(size * size) * 4;
    const std::uint32_t imageBytes = 40 + pixels + maskRow * static_cast<std::uint32_t>(size);
    Bytes b;
    U16(b, 0);
    U16(b, cursor ? 2 : 1);
    U16(b, 1);
    b.push_back(static_cast<std::uint8_t>(size));
    b.push_back(static_cast<std::uint8_t>(size));
    b.push_back(0);
    b.push_back(0);
    U16(b, cursor ? size / 2 : 1);  // hotspot x, or planes
    U16(b, cursor ? size / 2 : 32);  // hotspot y, or bit count
    U32(b, imageBytes);
    U32(b, 6 + 16);
    U32(b, 40);
    U32(b, static_cast<std::uint32_t>(size));
    U32(b, static_cast<std::uint32_t>(size * 2));
    U16(b, 1);
    U16(b, 32);
    U32(b, 0);
    U32(b, pixels + maskRow * static_cast<std::uint32_t>(size));
    U32(b, 0);
    U32(b, 0);
    U32(b, 0);
    U32(b, 0);
    for (int i = 0; i < size * size; ++i) U32(b, 0xFF000000u | rgb);
    b.insert(b.end(), static_cast<std::size_t>(maskRow) * static_cast<std::size_t>(size), 0);  // opaque
    return b;
}

Bytes AnimatedCursorFile(int size, const std::vector<std::uint32_t>& frames, std::uint32_t steps) {
    Bytes header;
    U32(header, 36);
    U32(header, static_cast<std::uint32_t>(frames.size()));
    U32(header, steps ? steps : static_cast<std::uint32_t>(frames.size()));
    U32(header, 0);
    U32(header, 0);
    U32(header, 0);
    U32(header, 0);
    U32(header, 10);  // display rate, jiffies
    U32(header, 1);   // frames are icon files
    Bytes list;
    Id(list, "fram");
    for (std::uint32_t colour : frames) Chunk(list, "icon", IconFile(size, colour, true));
    Bytes form;
    Id(form, "ACON");
    Chunk(form, "anih", header);
    Chunk(form, "LIST", list);
    Bytes file;
    Chunk(file, "RIFF", form);
    return file;
}

Bytes BitmapFile(int size, const std::vector<std::uint32_t>& cells) {
    const int width = size * static_cast<int>(cells.size());
    const std::uint32_t row = ((static_cast<std::uint32_t>(width) * 3 + 3) / 4) * 4;
    const std::uint32_t pixels = row * static_cast<std::uint32_t>(size);
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    U32(b, 54 + pixels);
    U32(b, 0);
    U32(b, 54);
    U32(b, 40);
    U32(b, static_cast<std::uint32_t>(width));
    U32(b, static_cast<std::uint32_t>(size));
    U16(b, 1);
    U16(b, 24);
    U32(b, 0);
    U32(b, pixels);
    U32(b, 2835);
    U32(b, 2835);
    U32(b, 0);
    U32(b, 0);
    for (int y = 0; y < size; ++y) {
        std::uint32_t written = 0;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = cells[static_cast<std::size_t>(x / size)];
            b.push_back(static_cast<std::uint8_t>(c));
            b.push_back(static_cast<std::uint8_t>(c >> 8));
            b.push_back(static_cast<std::uint8_t>(c >> 16));
            written += 3;
        }
        b.insert(b.end(), row - written, 0);
    }
    return b;
}

Bytes GifFile(int size, std::uint32_t rgb, std::uint32_t corner) {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
    U16(b, static_cast<std::uint32_t>(size));
    U16(b, static_cast<std::uint32_t>(size));
    b.push_back(0x80);  // global table of 2 colours
    b.push_back(0);
    b.push_back(0);
    for (std::uint32_t c : {rgb, corner}) {
        b.push_back(static_cast<std::uint8_t>(c >> 16));
        b.push_back(static_cast<std::uint8_t>(c >> 8));
        b.push_back(static_cast<std::uint8_t>(c));
    }
    b.push_back(0x2C);
    U16(b, 0);
    U16(b, 0);
    U16(b, static_cast<std::uint32_t>(size));
    U16(b, static_cast<std::uint32_t>(size));
    b.push_back(0);
    // Image data with a minimum code size of 2: literal codes only, a clear code before the
    // table would widen the codes past 3 bits.
    b.push_back(2);
    Bytes data;
    std::uint32_t bits = 0;
    int count = 0;
    auto emit = [&](std::uint32_t code) {
        bits |= code << count;
        count += 3;
        while (count >= 8) {
            data.push_back(static_cast<std::uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
    };
    emit(4);
    int sinceClear = 0;
    for (int i = 0; i < size * size; ++i) {
        if (sinceClear == 2) {
            emit(4);
            sinceClear = 0;
        }
        emit(i == 0 ? 1 : 0);
        ++sinceClear;
    }
    emit(5);
    if (count > 0) data.push_back(static_cast<std::uint8_t>(bits));
    for (std::size_t p = 0; p < data.size(); p += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - p);
        b.push_back(static_cast<std::uint8_t>(n));
        b.insert(b.end(), data.begin() + static_cast<std::ptrdiff_t>(p), data.begin() + static_cast<std::ptrdiff_t>(p + n));
    }
    b.push_back(0);
    b.push_back(0x3B);
    return b;
}

TestFolder::TestFolder(const std::wstring& name) : path_(TempFolderPath() + L"kalvenor_pages_" + name) {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(path_), ec);
    std::filesystem::create_directories(std::filesystem::path(path_));
}

TestFolder::~TestFolder() {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(path_), ec);
}

std::wstring TestFolder::Write(const std::wstring& name, const Bytes& content) const {
    const std::wstring path = path_ + L"\\" + name;
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
    return path;
}

std::vector<std::wstring> TempFilesStartingWith(const std::wstring& prefix) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((TempFolderPath() + prefix + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.emplace_back(found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

}  // namespace kal::test
