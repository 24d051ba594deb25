#include "tests/common/screenshot.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/raii.h"
#include "tests/common/window_probes.h"

namespace kal::testing {
namespace {

using ByteVector = std::vector<std::uint8_t>;

void PutBE32(ByteVector& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void PutChunk(ByteVector& out, const char type[4], const ByteVector& data) {
    PutBE32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBE32(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored (uncompressed) deflate blocks: no compressor needed.
ByteVector ZlibStored(const ByteVector& raw) {
    ByteVector out = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(raw.size() - at, 65535);
        const bool last = at + n == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<std::uint8_t>(n));
        out.push_back(static_cast<std::uint8_t>(n >> 8));
        out.push_back(static_cast<std::uint8_t>(~n));
        out.push_back(static_cast<std::uint8_t>(~n >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBE32(out, (b << 16) | a);
    return out;
}

// 8-bit RGB PNG from top-down 32-bit BGRX pixels.
ByteVector EncodePng(const std::vector<std::uint32_t>& pixels, int width, int height) {
    ByteVector raw;
    raw.reserve(static_cast<std::size_t>(height) * (1 + 3 * static_cast<std::size_t>(width)));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
            raw.push_back(static_cast<std::uint8_t>(p >> 16));
            raw.push_back(static_cast<std::uint8_t>(p >> 8));
            raw.push_back(static_cast<std::uint8_t>(p));
        }
    }
    ByteVector png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ByteVector header;
    PutBE32(header, static_cast<std::uint32_t>(width));
    PutBE32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", ZlibStored(raw));
    PutChunk(png, "IEND", {});
    return png;
}

// The screenshots folder of the build tree as a Windows path.
std::wstring ScreenshotFolder() { return HostPath(KALVENOR_SCREENSHOT_DIR); }

bool WriteFileBytes(const std::wstring& path, const ByteVector& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    ::CloseHandle(file);
    return ok;
}

void PumpPaint() {
    MSG msg;
    for (int i = 0; i < 20 && ::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) ::DispatchMessageW(&msg);
}

}  // namespace

bool SaveWindowScreenshot(HWND window, const std::wstring& windowName, const std::wstring& state) {
    if (!window || !::IsWindow(window)) return false;
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpPaint();
    ::GdiFlush();
    ::Sleep(50);  // lets the X server finish drawing before it is read back
    RECT r{};
    ::GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    std::vector<std::uint32_t> pixels;
    {
        ScreenDC screen;
        UniqueDC memory(::CreateCompatibleDC(screen.get()));
        UniqueBitmap bitmap(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!memory || !bitmap || !bits) return false;
        SelectGuard select(memory.get(), bitmap.get());
        // Only the part on the screen is read back (X refuses a read past the screen's edge, and
        // the whole picture came back black); the rest stays black.
        const RECT desk{::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                        ::GetSystemMetrics(SM_XVIRTUALSCREEN) + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                        ::GetSystemMetrics(SM_YVIRTUALSCREEN) + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
        RECT shown{};
        if (!::IntersectRect(&shown, &r, &desk)) return false;
        if (!::BitBlt(memory.get(), shown.left - r.left, shown.top - r.top, shown.right - shown.left,
                      shown.bottom - shown.top, screen.get(), shown.left, shown.top, SRCCOPY))
            return false;
        ::GdiFlush();
        const auto* p = static_cast<const std::uint32_t*>(bits);
        pixels.assign(p, p + static_cast<std::size_t>(width) * height);
    }

    const std::wstring folder = ScreenshotFolder();
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return WriteFileBytes(folder + L"\\" + windowName + L"-" + state + L".png", EncodePng(pixels, width, height));
}

}  // namespace kal::testing
