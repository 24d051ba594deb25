// The About box: version, credits, two link labels and the system information list with its
// clipboard copy and the diagnostic file, which adds the card's Windows audio endpoints.
// Double-clicking the driver-key row of an elevated process opens the registry editor at the
// driver's live settings.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "listview/listview.h"
#include "base/raii.h"
#include "toolkit/forms.h"
#include "toolkit/images/imagelist.h"

namespace kal {

class frmAbout final : public Form {
public:
    // The registry editor's own key, whose LastKey value names the key it opens at.
    static constexpr wchar_t kRegeditKey[] = L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
    enum Link { kCreditLink = 0, kAuthorLink = 1 };

    frmAbout();
    ~frmAbout() override;

    void cmdCopyValues_Click();
    void cmdSaveDiagnosticInfo_Click();
    // A double click on list row `index` (1-based).
    void SystemInfo_ItemDblClick(std::int32_t index);
    void lblCreditLink_Click();
    void lblAuthorLink_Click();

    // The system information's columns fitted to the interface font again.
    void OnFontApplied() override;
    zephListViewCtl& SystemInfo() { return systemInfo_; }
    // The system information as the clipboard receives it, read from the list.
    std::wstring SystemInfoText() const;
    // The link's target; "" when it has none.
    const std::wstring& LinkTarget(Link link) const { return targets_[link]; }
    // The registry editor this box started last; null when none.
    HANDLE RegistryEditorProcess() const { return regedit_.get(); }

    // The controls, bound from the form's table.
    Label *lblVersion{}, *lblAuthor{}, *lblAuthorLink{}, *lblDescription{}, *lblCredits{}, *lblCreditText{},
        *lblCreditLink{}, *lblTrademarks{}, *lblSystemInfo{};
    CommandButton *cmdCopyValues{}, *cmdSaveDiagnosticInfo{}, *cmdClose{};

protected:
    void OnLoad() override;
    void OnUnload() override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void LayOutButtons();
    void LayOutAuthorLine();
    void FillSystemInfo();
    void Underline(int link);
    Label& LinkLabel(int link) const;
    void PaintIcon();

    zephListViewCtl systemInfo_;
    UniqueImageList ilTemp_;
    UniqueHandle regedit_;
    std::wstring targets_[2];
    int underlined_ = -1;
};

// The loaded About box, null when none.
frmAbout* AboutForm();
// Loads the About box when needed and brings it to the front.
void ShowAbout();

}  // namespace kal
