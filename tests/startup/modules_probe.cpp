// The program with the simulated card, run by modules_test.cpp as a child process to see which
// system libraries a start-up loads. Its exit code tells what happened:
//   <command line of the program>  the start-up (with /noui to its end; else until the main form
//                                  has loaded, then the form is unloaded); kStartedWithout,
//                                  kStartedWithGdiplus or kStartedWithControls after it
//   /draw                          a filled rectangle drawn over GDI+ into a white bitmap;
//                                  kDrew or kDrewNothing
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "editor/drawing.h"
#include "sim/simcard.h"
#include "startup/main.h"
#include "tests/startup/modules_probe.h"
#include "tray/app.h"
#include "tray/mainform.h"

namespace {

bool GdiplusLoaded() { return ::GetModuleHandleW(L"gdiplus.dll") != nullptr; }
bool CommonControlsLoaded() { return ::GetModuleHandleW(L"comctl32.dll") != nullptr; }

int Draw() {
    constexpr int kSize = 32;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kSize, -kSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dc || !bitmap || !bits) return kaltest::kProbeFailed;
    auto* pixels = static_cast<std::uint32_t*>(bits);
    std::memset(pixels, 0xFF, kSize * kSize * 4);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    kal::DrawRectangleGdip(dc, 0x000000, kSize - 2, kSize - 2, 1, true, 0x0000FF, 100);
    ::GdiFlush();
    int changed = 0;
    for (int i = 0; i < kSize * kSize; ++i) changed += (pixels[i] & 0xFFFFFF) != 0xFFFFFF;
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    kal::ShutdownGdiplus();
    return changed > 0 ? kaltest::kDrew : kaltest::kDrewNothing;
}

// Once the main form has loaded: note the libraries, then end the program the way its own exit
// does, by unloading the form.
bool gGdiplusAtLoad = false;
bool gControlsAtLoad = false;
void CALLBACK AfterLoad(HWND, UINT, UINT_PTR id, DWORD) {
    kal::frmKalvenor* form = kal::MainTrayForm();
    // Messages pumped during the load (a speaker change waits so) can bring the timer early.
    if (!form || form->Loading()) return;
    ::KillTimer(nullptr, id);
    gGdiplusAtLoad = GdiplusLoaded();
    gControlsAtLoad = CommonControlsLoaded();
    try {
        form->Unload();
    } catch (...) {
        ::PostQuitMessage(kaltest::kProbeFailed);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    const std::wstring line = commandLine ? commandLine : L"";
    if (line == L"/draw") return Draw();
    kal::sim::InstallSimulatedCard();
    const bool noUI = line.find(L"/noui") != std::wstring::npos;
    if (!noUI) ::SetTimer(nullptr, 0, 200, &AfterLoad);
    kal::Main(line, kal::TrayStartupSteps());
    const bool gdiplus = noUI ? GdiplusLoaded() : gGdiplusAtLoad;
    if (gdiplus) return kaltest::kStartedWithGdiplus;
    const bool controls = noUI ? CommonControlsLoaded() : gControlsAtLoad;
    return controls ? kaltest::kStartedWithControls : kaltest::kStartedWithout;
}
