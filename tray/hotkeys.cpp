#include "tray/hotkeys.h"
#include "tray/views.h"

#include <functional>
#include <map>

#include "device/cardlines.h"
#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "startup/globals.h"
#include "base/log.h"
#include "base/registry.h"
#include "toolkit/utility.h"

namespace kal {

namespace {

// The subclassed capture boxes: their previous procedure, their control and what runs after
// each key they record.
struct CaptureBox {
    WNDPROC previous = nullptr;
    TextBox* box = nullptr;
    std::function<void()> captured;
};
std::map<HWND, CaptureBox> gCaptureBoxes;

bool IsMouseButtonMessage(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: return true;
    default: return false;
    }
}

LRESULT CALLBACK ControlSubclassWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto it = gCaptureBoxes.find(hWnd);
    if (it == gCaptureBoxes.end()) return ::DefWindowProcW(hWnd, msg, wParam, lParam);
    const CaptureBox entry = it->second;
    try {
        switch (msg) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            switch (ClassifyCaptureKey(static_cast<std::uint32_t>(wParam))) {
            case CaptureKey::Swallow: return 0;
            case CaptureKey::Clear:
                // The Tag first: the box's Change handler reads it.
                entry.box->SetTag(L"");
                entry.box->SetText(L"");
                if (entry.captured) entry.captured();
                return 0;
            case CaptureKey::Capture:
                SetHotkeyText(*entry.box, static_cast<std::uint8_t>(wParam));
                if (entry.captured) entry.captured();
                return 0;
            }
            break;
        case WM_CHAR:
        case WM_SYSCHAR:
            // The text is the key's name, never what the key types.
            return 0;
        case WM_NCDESTROY:
            ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.previous));
            gCaptureBoxes.erase(hWnd);
            return ::CallWindowProcW(entry.previous, hWnd, msg, wParam, lParam);
        default:
            if (IsMouseButtonMessage(msg)) {
                RECT client{};
                ::GetClientRect(hWnd, &client);
                const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                if (!::PtInRect(&client, at)) break;
                if (msg == WM_LBUTTONDOWN) ::SetFocus(hWnd);
                return 0;
            }
            break;
        }
    } catch (...) {
        LogCaught(L"ControlSubclassWindowProc");
        return 0;
    }
    return ::CallWindowProcW(entry.previous, hWnd, msg, wParam, lParam);
}

void ToggleMute(const std::wstring& line, std::uint32_t flow) {
    SetLineMute(line, flow, GetLineMute(line, flow) ? 0 : -1);
}

void StepLineVolume(int action) {
    const bool up = action == static_cast<int>(ShortcutAction::MasterUp) || action == static_cast<int>(ShortcutAction::InputUp);
    const int flow = action >= static_cast<int>(ShortcutAction::InputUp) ? 1 : 0;
    const auto step = ParseStep(RegReadText(gRegRoot, ShortcutStepValueName(action)).value_or(L"2"));
    if (!step) return;
    Currency volume = 0, balance = 0;
    GetProfileVolumeBalance(volume, balance, flow, 0, L"");
    SetVolumeBalance(StepVolume(volume, *step, up), balance, flow, 0);
}

}  // namespace

std::wstring KeyCodeToString(std::uint8_t vk, std::uint8_t mask) {
    if (IsModifierKey(vk)) return L"";
    std::wstring text = ModifierPrefix(mask);
    const UINT scan = ::MapVirtualKeyW(vk, 0);
    wchar_t name[256] = {};
    if (::GetKeyNameTextW(static_cast<LONG>((scan & 0xFF) << 16), name, 256) > 0) text += name;
    return text;
}

bool IsKeyDown(int vk) { return (::GetAsyncKeyState(vk) & 0x8000) != 0; }

std::uint8_t GetShiftState() {
    std::uint8_t mask = 0;
    if (IsKeyDown(VK_LSHIFT) || IsKeyDown(VK_RSHIFT)) mask |= kMaskShift;
    if (IsKeyDown(VK_RCONTROL) || (IsKeyDown(VK_LCONTROL) && !IsKeyDown(VK_RMENU))) mask |= kMaskCtrl;
    if (IsKeyDown(VK_LMENU)) mask |= kMaskAlt;
    return mask;
}

void SetHotkeyText(TextBox& box, std::uint8_t vk) {
    const std::uint8_t mask = GetShiftState();
    const std::wstring text = KeyCodeToString(vk, mask);
    // The Tag first: the box's Change handler reads it.
    box.SetTag(text.empty() ? L"" : CaptureTag(vk, mask));
    box.SetText(text);
}

void SubclassControl(TextBox& box, std::function<void()> captured) {
    HWND window = box.hWnd();
    if (!window || gCaptureBoxes.count(window)) return;
    const auto previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlSubclassWindowProc)));
    if (previous) gCaptureBoxes[window] = {previous, &box, std::move(captured)};
}

void UnsubclassControl(TextBox& box) {
    const auto it = gCaptureBoxes.find(box.hWnd());
    if (it == gCaptureBoxes.end()) return;
    ::SetWindowLongPtrW(it->first, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.previous));
    gCaptureBoxes.erase(it);
}

bool IsCaptureBox(HWND window) { return gCaptureBoxes.count(window) != 0; }

Bytes FixedShortcutKey(int action) {
    Bytes key = RegReadBytes(gRegRoot, ShortcutValueName(action)).value_or(Bytes{});
    key.resize(2, 0);
    return key;
}

void RegisterMenuHotkeys(HWND window) {
    for (int n = 0; n < kShortcutActionCount; ++n) {
        const Bytes key = FixedShortcutKey(n);
        // A second registration of an id keeps the first key registered as well.
        ::UnregisterHotKey(window, n);
        if (key[0] != 0) ::RegisterHotKey(window, n, ShiftToHotkeyModifiers(key[1]), key[0]);
    }
}

void ClearMenuHotkeys(HWND window) {
    for (int n = 0; n < kShortcutActionCount; ++n) ::UnregisterHotKey(window, n);
}

void RunShortcutAction(int action) {
    switch (static_cast<ShortcutAction>(action)) {
    case ShortcutAction::MasterMute: ToggleMute(gPlaybackLineIds[0], 0); break;
    case ShortcutAction::InputMute: ToggleMute(gInputLineIds[0], 1); break;
    case ShortcutAction::MasterUp:
    case ShortcutAction::MasterDown:
    case ShortcutAction::InputUp:
    case ShortcutAction::InputDown: StepLineVolume(action); break;
    default: break;
    }
    RefreshOpenForms(true, IsSelfChange());
}

}  // namespace kal
