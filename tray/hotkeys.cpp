#include "tray/hotkeys.h"
#include "tray/host.h"

#include <functional>
#include <map>
#include <memory>

#include "device/cardlines.h"
#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "startup/globals.h"
#include "base/log.h"
#include "base/registry.h"
#include "base/subclass.h"
#include "startup/settings.h"
#include "toolkit/utility.h"
#include "tray/trayicon.h"

namespace kal {

namespace {

// The messages a capture box takes over.
constexpr UINT kCaptureMessages[] = {WM_KEYDOWN,     WM_SYSKEYDOWN,   WM_CHAR,          WM_SYSCHAR,
                                     WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,   WM_RBUTTONDBLCLK,
                                     WM_MBUTTONDOWN, WM_MBUTTONDBLCLK, WM_NCDESTROY};

// A capture box: its control and what runs after each key it records. It passes on what it does
// not take itself, so the dispatcher never calls the box's own procedure for it.
class CaptureBox final : public ISubclass {
public:
    CaptureBox(TextBox& box, std::function<void()> captured) : box_(box), captured_(std::move(captured)) {}
    std::int32_t MsgResponse() const override { return MsgResponseConsume; }
    void SetMsgResponse(std::int32_t) override {}
    LRESULT WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    TextBox& box_;
    std::function<void()> captured_;
};

// The capture boxes by window.
std::map<HWND, std::unique_ptr<CaptureBox>> gCaptureBoxes;

void ReleaseCaptureBox(HWND window) {
    const auto it = gCaptureBoxes.find(window);
    if (it == gCaptureBoxes.end()) return;
    for (UINT msg : kCaptureMessages) MSubclass::DetachMessage(it->second.get(), window, msg);
    gCaptureBoxes.erase(it);
}

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

LRESULT CaptureBox::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        // Copies: the handlers may release the box.
        TextBox& box = box_;
        const std::function<void()> captured = captured_;
        switch (msg) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            switch (ClassifyCaptureKey(static_cast<std::uint32_t>(wParam))) {
            case CaptureKey::Swallow: return 0;
            case CaptureKey::Clear:
                // The Tag first: the box's Change handler reads it.
                box.SetTag(L"");
                box.SetText(L"");
                if (captured) captured();
                return 0;
            case CaptureKey::Capture:
                SetHotkeyText(box, static_cast<std::uint8_t>(wParam));
                if (captured) captured();
                return 0;
            }
            break;
        case WM_CHAR:
        case WM_SYSCHAR:
            // The text is the key's name, never what the key types.
            return 0;
        case WM_NCDESTROY: {
            const LRESULT result = MSubclass::CallOldWindowProc(hWnd, msg, wParam, lParam);
            ReleaseCaptureBox(hWnd);
            return result;
        }
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
    return MSubclass::CallOldWindowProc(hWnd, msg, wParam, lParam);
}

void ToggleMute(const std::wstring& line, std::uint32_t flow) {
    SetLineMute(line, flow, GetLineMute(line, flow) ? 0 : -1);
}

void StepLineVolume(int action) {
    const bool up = action == static_cast<int>(ShortcutAction::MasterUp) || action == static_cast<int>(ShortcutAction::InputUp);
    const int flow = action >= static_cast<int>(ShortcutAction::InputUp) ? 1 : 0;
    const auto step = ParseStep(GetShortcutStep(action));
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
    CaptureBox* client = (gCaptureBoxes[window] = std::make_unique<CaptureBox>(box, std::move(captured))).get();
    try {
        for (UINT msg : kCaptureMessages) MSubclass::AttachMessage(client, window, msg);
    } catch (...) {
        LogCaught(L"SubclassControl");
        ReleaseCaptureBox(window);
    }
}

void UnsubclassControl(TextBox& box) { ReleaseCaptureBox(box.hWnd()); }

bool IsCaptureBox(HWND window) { return gCaptureBoxes.count(window) != 0; }

Bytes FixedShortcutKey(int action) {
    Bytes key = GetShortcutKey(action).value_or(Bytes{});
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
    // The tray icon and tip show the master output.
    if (action >= 0 && action <= static_cast<int>(ShortcutAction::MasterDown)) UpdateTrayIconAndTip();
}

}  // namespace kal
