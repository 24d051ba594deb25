// The four tabs over their pages, the hover highlight, and the two text boxes of the top area:
// the profile name (no \ / & ? *, typed or pasted) and the shortcut capture box.
#include "editor/drawing.h"
#include "editor/hooks.h"
#include "editor/portable/profilename.h"
#include "editor/profileform.h"

namespace kal {

void frmProfile::ResetTabHover() { tabs_.ResetHover(); }

void frmProfile::imgTab_Click(int index) { tabs_.Select(index); }

void frmProfile::WireTabEvents() {
    // The shapes keep each tab's state: the highlight colour, the current tab's background.
    tabs_.HighlightChanged = [this](int index) {
        if (Shape* s = FindShape(L"rectTab", index)) s->fill = tabs_.Highlight(index);
    };
    tabs_.Switched = [this](int previous, int current) {
        if (Shape* s = FindShape(L"rectTabBackground", previous)) s->visible = false;
        if (Shape* s = FindShape(L"rectTabBackground", current)) s->visible = true;
    };
    tabs_.Attach(0, TranslateOleColor(ContentBorderColour()));

    auto& name = *txtProfileName;
    hooks_->Watch(name.Window(), Hooks::Kind::NameBox, -1, {WM_CHAR, WM_SETFOCUS});
    // Text that arrives without typing (pasted, dropped, set) obeys the same rule.
    name.Change = [this, &name] {
        const std::wstring text = name.Text();
        const std::wstring clean = StripForbiddenNameChars(text);
        if (clean == text) return;
        DWORD start = 0;
        ::SendMessageW(name.Window(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
        const auto removed = static_cast<DWORD>(StripForbiddenNameChars(text.substr(0, start)).size());
        ::MessageBeep(MB_OK);
        name.SetText(clean);
        ::SendMessageW(name.Window(), EM_SETSEL, removed, removed);
    };
}

}  // namespace kal
