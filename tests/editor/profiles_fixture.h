// The profile manager on the simulated card, and the user's hands: the mouse and keyboard as
// real input, the tray menu chosen with a click, message boxes answered on the real dialogs.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/profiles.h"
#include "startup/utility.h"
#include "tests/editor/editor_fixture.h"
#include "tray/formopeners.h"

namespace kal::testing {

// Runs the thread's messages as the program's loop does, the dialog manager included, until
// `done` holds or the time is up.
inline bool PumpForms(const std::function<bool()>& done, int milliseconds = 3000) {
    return PumpUntil(done, milliseconds, FormDialogMessage);
}

inline void PumpForms(int milliseconds) {
    PumpForms([] { return false; }, milliseconds);
}

// Holds the modifiers, presses and releases the key, and lets the modifiers go once the key has
// been handled, as a hand does.
inline void PressKey(WORD vk, std::initializer_list<WORD> modifiers = {}) {
    SendKeys(modifiers, false);
    SendKeys({vk}, false);
    SendKeys({vk}, true);
    PumpForms(150);
    SendKeys(modifiers, true);
    PumpForms(50);
}

// Left clicks at a point of the screen (two for a double click).
inline void ClickScreen(POINT at, int clicks = 1) {
    std::vector<INPUT> inputs{MouseAt(at, 0)};
    for (int i = 0; i < clicks; ++i) {
        inputs.push_back(MouseAt(at, MOUSEEVENTF_LEFTDOWN));
        inputs.push_back(MouseAt(at, MOUSEEVENTF_LEFTUP));
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The tray menu item the open menu is to be clicked on, and whether it was.
inline UINT gMenuChoice = 0;
inline bool gMenuChosen = false;

inline void CALLBACK ClickOpenMenuItem(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND popup = ::FindWindowW(L"#32768", nullptr);
    if (!popup || !::IsWindowVisible(popup)) return;
    ::KillTimer(nullptr, timer);
    const auto menu = reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
    for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i) {
        if (::GetMenuItemID(menu, i) != gMenuChoice) continue;
        RECT r{};
        ::GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &r);
        ClickScreen({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        gMenuChosen = true;
        return;
    }
    ::EndMenu();
}

class ProfilesFixture : public EditorFixture {
protected:
    void TearDown() override {
        CloseManager();
        CloseEditor();
        if (Form* options = FindForm(L"frmOptions")) options->Unload();
        TrayOpeners() = {};
        EditorFixture::TearDown();
    }

    // Opened as the tray menu's opener does.
    frmProfiles& OpenManager() {
        ShowProfiles();
        PumpForms(50);
        // An exception fails the test and lets the suite go on.
        if (!ProfilesForm()) throw std::runtime_error("no profile manager");
        return *ProfilesForm();
    }
    static void CloseManager() {
        if (frmProfiles* manager = ProfilesForm()) manager->Unload();
    }

    // The main form as the program starts it, with the windows its menu opens.
    frmKalvenor& StartProgram() {
        TrayOpeners().profileManager = &ShowProfiles;
        TrayOpeners().realTimeSettings = &ShowRealTimeSettings;
        frmKalvenor& form = Load(L"");
        PumpForms(50);
        return form;
    }

    // Right click on the tray icon, then a click on the item of that command id.
    static bool ChooseFromTrayMenu(frmKalvenor& form, UINT id) {
        gMenuChoice = id;
        gMenuChosen = false;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &ClickOpenMenuItem);
        ::PostMessageW(form.hWnd(), kTrayCallbackMessage, 0, WM_RBUTTONUP);
        const bool chosen = PumpForms([] { return gMenuChosen; });
        ::KillTimer(nullptr, timer);
        PumpForms(150);
        return chosen;
    }

    static std::vector<std::wstring> Names(frmProfiles& manager) {
        std::vector<std::wstring> names;
        cListItems items = manager.Profiles().ListItems();
        for (int i = 1; i <= items.Count(); ++i) names.push_back(items.item(i).Text());
        return names;
    }
    static cListItem Row(frmProfiles& manager, const std::wstring& name) {
        cListItems items = manager.Profiles().ListItems();
        for (int i = 1; i <= items.Count(); ++i)
            if (items.item(i).Text() == name) return items.item(i);
        throw std::out_of_range("no such row");
    }
    static std::wstring Cell(frmProfiles& manager, const std::wstring& name, int column) {
        return Row(manager, name).SubItems().item(column).Caption();
    }
    static bool Bold(frmProfiles& manager, const std::wstring& name) {
        const auto font = Row(manager, name).Font();
        return font && font->bold;
    }

    // A click on the row as the user gives it: the list takes the focus and selects the row.
    static void ClickRow(frmProfiles& manager, const std::wstring& name, int clicks = 1) {
        HWND list = manager.Profiles().hWndListView();
        RECT r{};
        r.left = LVIR_LABEL;
        ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(Row(manager, name).index() - 1),
                       reinterpret_cast<LPARAM>(&r));
        POINT p{r.left + 10, (r.top + r.bottom) / 2};
        ::ClientToScreen(list, &p);
        ClickScreen(p, clicks);
        PumpForms(250);
    }

    static bool Enabled(frmProfiles& manager, const wchar_t* button) { return manager.Ctl(button).Enabled(); }
};

}  // namespace kal::testing
