// The profile manager: every stored profile in a report list with its icon, output, shortcut
// and summary, the default profile's icon marked and the active one in bold while the card
// still matches it; it creates, edits, deletes and applies profiles and keeps its size from one
// opening to the next.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "device/profilevalues.h"
#include "listview/listview.h"
#include "base/hextext.h"
#include "base/keyed.h"
#include "toolkit/forms.h"
#include "toolkit/images/imagelist.h"
#include "tray/host.h"

namespace kal {

// Designed outer size of the window (twips): the smallest it may become, and its size on a
// first opening.
inline constexpr int kProfilesMinWidth = 12750;
inline constexpr int kProfilesMinHeight = 4965;

// Icon of a profile's output in the manager's image list.
enum ProfileOutputIcon : std::int32_t { kIconHeadphones = 0, kIconSpeakers = 1, kIconSpdif = 2 };

// The Output column's text and icon from the three stored values (absent: not stored). A part
// the profile does not set adds nothing to the text; without a speaker configuration the icon is
// the speakers'.
struct OutputSummary {
    std::wstring text;
    std::int32_t icon = kIconSpeakers;
};
OutputSummary DescribeOutput(const std::optional<Bytes>& spdif, const std::optional<Bytes>& panel,
                             const std::optional<Bytes>& speakers);

// A window size as the settings store it: the number's hex digits as bytes (4965: 13 65), and
// back; nullopt for bytes that hold no number.
Bytes EncodeStoredSize(std::int32_t twips);
std::optional<std::int32_t> DecodeStoredSize(const Bytes& bytes);

class frmProfiles final : public Form, public IProfileListView {
public:
    frmProfiles();
    ~frmProfiles() override;

    // Refills the list (the first item selected for "", else the item of exactly that name),
    // rebuilds the tray menu and, unless skipped, the options window's start-up controls.
    void UpdateProfiles(const std::wstring& selectName, bool skipOptionsRefresh) override;
    // Bold for the active profile while the card still matches it.
    void UpdateActiveProfile() override;
    // The selected profile's name; "" when none.
    std::wstring CurrentProfile() const override;
    // The list is filled again in the new font.
    void OnFontApplied() override { UpdateProfiles(CurrentProfile(), false); }
    // Window icon, interface font, and the stored size, centred on the screen.
    void RestoreLastFormSize();

    zephListViewCtl& Profiles() { return list_; }
    const zephImageList& ProfileIcons() const { return icons_; }

    CommandButton *cmdNew{}, *cmdEdit{}, *cmdDelete{}, *cmdActivate{}, *cmdDefaultProfile{}, *cmdClose{};

protected:
    void OnLoad() override;
    void OnActivate() override;
    void OnUnload() override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void WireEvents();
    // The images of the refill of these profiles.
    void BuildProfileIcons(const std::vector<ProfileSnapshot>& profiles);
    // Icon index (the default profile's marked twin included) and the Output column's text.
    std::int32_t OutputDescription(const ProfileSnapshot& profile, const std::wstring& defaultProfile,
                                   std::wstring& text) const;
    void UpdateButtons();
    void PressWhenEnabled(CommandButton& button);
    void LayOut();
    void SaveSize();

    void OpenEditor(const std::wstring& tag, const std::wstring& lastProfileName);
    void cmdNew_Click();
    void cmdEdit_Click();
    void cmdDelete_Click();
    void cmdActivate_Click();
    void cmdDefaultProfile_Click();

    zephImageList icons_;
    zephListViewCtl list_;
    // Profile name -> index of its custom icon in icons_.
    std::map<std::wstring, std::int32_t, CaseInsensitiveLess> customIcons_;
    bool marked_ = false;   // icons_ holds the marked twins
    std::wstring boldRow_;  // the name whose row is bold; "" after a fill (every row regular)
    bool filled_ = false;   // the columns are there: refills may run
};

// The open profile manager; null while none is loaded.
frmProfiles* ProfilesForm();
// Opens the profile manager, or brings the open one to the front.
void ShowProfiles();

}  // namespace kal
