#include "toolkit/utility.h"


#include <algorithm>
#include <map>
#include <vector>

#include "base/dyncalls.h"
#include "toolkit/forms.h"
#include "base/propstore.h"

namespace kal {

std::int16_t gWheelIncrement = 0;

namespace {

// The forms each modal form disabled when it was raised.
std::map<HWND, std::vector<HWND>>& HeldBy() {
    static auto* held = new std::map<HWND, std::vector<HWND>>;
    return *held;
}

std::wstring ModalName(HWND h) { return HandleText(h) + L"Modal"; }
std::wstring CountName(HWND h) { return HandleText(h) + L"LC"; }

bool IsLoadedForm(HWND h) {
    const auto forms = LoadedForms();
    return std::any_of(forms.begin(), forms.end(), [h](Form* f) { return f->hWnd() == h; });
}

}  // namespace

bool IsModal(const Form& form) { return form.hWnd() && GetWindowProp(form.hWnd(), ModalName(form.hWnd())) == 1; }

void SetModalState(Form& form, bool modal) {
    HWND self = form.hWnd();
    if (!self || IsModal(form) == modal) return;

    if (modal) {
        std::vector<HWND> held;
        for (Form* other : LoadedForms()) {
            HWND h = other->hWnd();
            if (other == &form || other->IsMainForm() || !h || !::IsWindowVisible(h)) continue;
            SetWindowProp(h, CountName(h), GetWindowProp(h, CountName(h)) + 1);
            ::EnableWindow(h, FALSE);
            held.push_back(h);
        }
        HeldBy()[self] = std::move(held);
        SetWindowProp(self, ModalName(self), 1);
    } else {
        // Exactly the forms this one disabled, whether or not they are visible now; forms
        // that appeared meanwhile were never counted.
        auto it = HeldBy().find(self);
        if (it != HeldBy().end()) {
            for (HWND h : it->second) {
                if (!IsLoadedForm(h)) continue;
                const std::intptr_t count = GetWindowProp(h, CountName(h));
                if (count <= 1) {
                    RemoveWindowProp(h, CountName(h));
                    ::EnableWindow(h, TRUE);
                } else {
                    SetWindowProp(h, CountName(h), count - 1);
                }
            }
            HeldBy().erase(it);
        }
        RemoveWindowProp(self, ModalName(self));
    }
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

RECT GetNotifyIconRect() {
    RECT rect{};
    // The function exists from Windows 7 on.
    const auto fn = dyn::Shell_NotifyIconGetRect();
    Form* main = MainForm();
    if (!fn || !main) return rect;
    NotifyIconIdentifier id{};
    id.cbSize = sizeof id;
    id.hWnd = main->hWnd();
    id.uID = 0;
    fn(&id, &rect);
    return rect;
}

void ApplyWheelIncrement(Form& form) {
    if (gWheelIncrement == 0) return;
    for (Control* c : form.Controls())
        if (auto* s = dynamic_cast<Slider*>(c)) s->Bar().SetWheelIncrement(gWheelIncrement);
}

std::int16_t FindSetOption(const Form& form, const std::wstring& arrayName) {
    for (Control* c : form.ControlArray(arrayName))
        if (auto* o = dynamic_cast<OptionButton*>(c); o && o->Value()) return static_cast<std::int16_t>(o->Index());
    return -1;
}

BOOL SetDefaultMenuItem(Form& form, UINT position) {
    HMENU bar = form.hWnd() ? ::GetMenu(form.hWnd()) : nullptr;
    HMENU first = bar ? ::GetSubMenu(bar, 0) : nullptr;
    return ::SetMenuDefaultItem(first, position, TRUE);
}

void RegisterControlClass(const wchar_t* name, WNDPROC proc, int background) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
    wc.lpszClassName = name;
    ::RegisterClassExW(&wc);
}

}  // namespace kal
