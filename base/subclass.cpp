#include "base/subclass.h"

#include <optional>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/log.h"
#include "base/propstore.h"

namespace kal::MSubclass {
namespace {

UINT gCurrentMsg = 0;

// Record names, per window h: "C" h attachment count; h the previous procedure;
// h "#" msg "C" client count of the message; h "#" msg "#" i client i (1-based).
std::wstring CountName(HWND h) { return L"C" + HandleText(h); }
std::wstring ProcName(HWND h) { return HandleText(h); }
std::wstring MsgPrefix(HWND h, UINT m) { return HandleText(h) + L"#" + std::to_wstring(m); }
std::wstring ClientCountName(HWND h, UINT m) { return MsgPrefix(h, m) + L"C"; }
std::wstring ClientName(HWND h, UINT m, int i) { return MsgPrefix(h, m) + L"#" + std::to_wstring(i); }

// Zero values are never kept.
void Store(HWND h, const std::wstring& name, std::intptr_t value) {
    if (value == 0)
        RemoveWindowProp(h, name);
    else
        SetWindowProp(h, name, value);
}

int AttachCount(HWND h) { return static_cast<int>(GetWindowProp(h, CountName(h))); }
void SetAttachCount(HWND h, int n) { Store(h, CountName(h), n); }
WNDPROC OldProc(HWND h) { return reinterpret_cast<WNDPROC>(GetWindowProp(h, ProcName(h))); }
void SetOldProc(HWND h, WNDPROC p) { Store(h, ProcName(h), reinterpret_cast<std::intptr_t>(p)); }
int ClientCount(HWND h, UINT m) { return static_cast<int>(GetWindowProp(h, ClientCountName(h, m))); }
void SetClientCount(HWND h, UINT m, int n) { Store(h, ClientCountName(h, m), n); }
ISubclass* Client(HWND h, UINT m, int i) {
    return reinterpret_cast<ISubclass*>(GetWindowProp(h, ClientName(h, m, i)));
}
void SetClient(HWND h, UINT m, int i, ISubclass* c) {
    Store(h, ClientName(h, m, i), reinterpret_cast<std::intptr_t>(c));
}

// The client's place (1-based) among the clients of the message; 0 when it is not attached.
int ClientIndex(HWND h, UINT m, const ISubclass* client) {
    const int n = ClientCount(h, m);
    for (int i = 1; i <= n; ++i)
        if (Client(h, m, i) == client) return i;
    return 0;
}

bool IsWindowLocal(HWND h) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(h, &pid);
    return pid == ::GetCurrentProcessId();
}

bool DispatcherOnTop(HWND h) {
    return ::GetWindowLongPtrW(h, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SubclassWindowProc);
}

// Puts the previous procedure back, but only while the dispatcher is the window's procedure:
// a subclass installed later on top of it (a tooltip's, say) would otherwise be cut off. When
// it is not on top the dispatcher stays in the chain and passes everything through.
void RestoreIfOnTop(HWND h) {
    const WNDPROC old = OldProc(h);
    if (!old || !DispatcherOnTop(h)) return;
    ::SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    SetOldProc(h, nullptr);
}

// Drops the attachment records of the window; the saved procedure too unless it is still needed
// to pass messages on.
void ForgetClients(HWND h) {
    const std::wstring prefix = HandleText(h) + L"#";
    for (const auto& name : WindowPropNames(h))
        if (name.compare(0, prefix.size(), prefix) == 0) RemoveWindowProp(h, name);
    SetAttachCount(h, 0);
}

LRESULT CallClient(ISubclass* client, HWND h, UINT m, WPARAM w, LPARAM l) {
    try {
        return client->WindowProc(h, m, w, l);
    } catch (...) {
        LogCaught(L"subclassed window procedure");
        return 0;
    }
}

}  // namespace

void AttachMessage(ISubclass* client, HWND hWnd, UINT iMsg) {
    if (!::IsWindow(hWnd)) RaiseToolkitError(kInvalidWindow, L"WindowProc", L"Invalid window");
    if (!IsWindowLocal(hWnd)) RaiseToolkitError(kExternalWindow, L"WindowProc", L"Can't modify external window");
    if (ClientIndex(hWnd, iMsg, client))
        RaiseToolkitError(kAlreadyHandled, L"WindowProc", L"Message already handled by another class");
    const int n = ClientCount(hWnd, iMsg);

    SetClientCount(hWnd, iMsg, n + 1);
    SetClient(hWnd, iMsg, n + 1, client);

    // The dispatcher may still be in the chain from earlier attachments (see RestoreIfOnTop).
    if (AttachCount(hWnd) == 0 && !OldProc(hWnd)) {
        const LONG_PTR prev =
            ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassWindowProc));
        if (prev == 0) {
            SetClient(hWnd, iMsg, n + 1, nullptr);
            SetClientCount(hWnd, iMsg, n);
            RaiseToolkitError(kCantSubclass, L"WindowProc", L"Can't subclass window");
        }
        SetOldProc(hWnd, reinterpret_cast<WNDPROC>(prev));
    }
    SetAttachCount(hWnd, AttachCount(hWnd) + 1);
}

void DetachMessage(ISubclass* client, HWND hWnd, UINT iMsg) {
    if (!::IsWindow(hWnd) || !IsWindowLocal(hWnd)) return;
    const int n = ClientCount(hWnd, iMsg);
    const int found = n > 0 ? ClientIndex(hWnd, iMsg, client) : 0;
    if (!found) return;

    for (int i = found; i < n; ++i) SetClient(hWnd, iMsg, i, Client(hWnd, iMsg, i + 1));
    SetClient(hWnd, iMsg, n, nullptr);
    SetClientCount(hWnd, iMsg, n - 1);

    const int count = AttachCount(hWnd);
    if (count == 1) RestoreIfOnTop(hWnd);
    if (count > 0) SetAttachCount(hWnd, count - 1);
}

UINT CurrentMessage() { return gCurrentMsg; }

LRESULT CallOldWindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    const WNDPROC old = OldProc(hWnd);
    return old ? ::CallWindowProcW(old, hWnd, iMsg, wParam, lParam) : 0;
}

LRESULT CALLBACK SubclassWindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    const WNDPROC old = OldProc(hWnd);
    if (!old) return ::DefWindowProcW(hWnd, iMsg, wParam, lParam);

    const int n = ClientCount(hWnd, iMsg);
    LRESULT result = 0;
    if (n <= 0) {
        if (iMsg == WM_DESTROY) {
            // The window goes: its attachments with it, and its own procedure back before it
            // sees the message when nothing sits on top of the dispatcher.
            ForgetClients(hWnd);
            RestoreIfOnTop(hWnd);
        }
        result = ::CallWindowProcW(old, hWnd, iMsg, wParam, lParam);
    } else {
        bool oldCalled = false;
        // The clients as the message arrived, each called once: a handler may attach or detach
        // clients of this message, which moves the others in the list. One detached meanwhile
        // is not called (it may be gone); one attached meanwhile waits for the next message.
        std::vector<ISubclass*> clients;
        for (int i = n; i >= 1; --i) clients.push_back(Client(hWnd, iMsg, i));
        // The last client's response is taken before it is called: a client may detach and
        // delete itself inside its handler.
        std::optional<std::int32_t> lastResponse;
        for (ISubclass* client : clients) {
            const int i = ClientIndex(hWnd, iMsg, client);
            if (!client || !i) continue;
            gCurrentMsg = iMsg;
            const std::int32_t response = client->MsgResponse();
            if (i == 1 && response == MsgResponsePreProcess && !oldCalled) {
                ::CallWindowProcW(old, hWnd, iMsg, wParam, lParam);
                oldCalled = true;
            }
            lastResponse = response;
            result = CallClient(client, hWnd, iMsg, wParam, lParam);
        }
        if (lastResponse == MsgResponsePostProcess && !oldCalled)
            result = ::CallWindowProcW(old, hWnd, iMsg, wParam, lParam);
    }

    if (iMsg == WM_NCDESTROY) {
        // The last message of the window: nothing of it may outlive it in the store.
        ForgetClients(hWnd);
        SetOldProc(hWnd, nullptr);
    } else if (AttachCount(hWnd) == 0) {
        // Left in the chain by an earlier detach under a later subclass: leave once on top.
        RestoreIfOnTop(hWnd);
    }
    return result;
}

}  // namespace kal::MSubclass
