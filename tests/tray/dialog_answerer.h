// Acts as the user on the system dialogs this thread shows while a call runs: types a file name
// into a file dialog and presses its OK, and presses a button of each message box. Records what
// each dialog showed.
#pragma once
#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace kaltest {

class DialogAnswerer {
public:
    struct Seen {
        std::wstring title;
        std::wstring text;          // a message box's text
        std::wstring proposedName;  // a file dialog's file name as it came up
        bool fileDialog = false;
    };

    std::wstring fileName;     // typed into file dialogs
    int button = IDOK;         // pressed in message boxes (OK when the box has no such button)
    std::vector<int> buttons;  // pressed in the first message boxes in turn, before `button`
    std::vector<Seen> seen;

    void Run(const std::function<void()>& call) {
        current_ = this;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &Tick);
        call();
        ::KillTimer(nullptr, timer);
        current_ = nullptr;
        // A press posted to a box that another way closed first must not reach a later box
        // that gets the same handle.
        MSG m;
        std::vector<MSG> others;
        while (::PeekMessageW(&m, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE))
            if (!handled_.count(m.hwnd)) others.push_back(m);
        for (const MSG& o : others) ::PostMessageW(o.hwnd, o.message, o.wParam, o.lParam);
    }

private:
    static constexpr int kFileNameIds[] = {0x47C, 0x480};  // the name box of either dialog style

    static BOOL CALLBACK Find(HWND h, LPARAM out) {
        wchar_t cls[16] = {};
        ::GetClassNameW(h, cls, 16);
        if (std::wstring(cls) == L"#32770" && ::IsWindowVisible(h) && !current_->handled_.count(h)) {
            *reinterpret_cast<HWND*>(out) = h;
            return FALSE;
        }
        return TRUE;
    }

    static std::wstring Text(HWND h) {
        wchar_t buf[2048] = {};
        ::GetWindowTextW(h, buf, 2048);
        return buf;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        DialogAnswerer* self = current_;
        if (!self) return;
        HWND box = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), &Find, reinterpret_cast<LPARAM>(&box));
        if (!box) return;
        self->handled_.insert(box);
        Seen s;
        s.title = Text(box);
        for (int id : kFileNameIds) {
            HWND name = ::GetDlgItem(box, id);
            if (!name || !::IsWindowVisible(name)) continue;
            s.fileDialog = true;
            s.proposedName = Text(name);
            ::SetWindowTextW(name, self->fileName.c_str());
            break;
        }
        int press = IDOK;
        if (!s.fileDialog) {
            s.text = Text(::GetDlgItem(box, 0xFFFF));
            const int wanted = self->next_ < self->buttons.size() ? self->buttons[self->next_++] : self->button;
            if (::GetDlgItem(box, wanted)) press = wanted;
        }
        self->seen.push_back(s);
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, press)));
    }

    static inline DialogAnswerer* current_ = nullptr;
    std::set<HWND> handled_;
    std::size_t next_ = 0;
};

}  // namespace kaltest
