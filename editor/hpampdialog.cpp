#include "editor/hpampdialog.h"

#include "device/portable/texts.h"
#include "device/profilevalues.h"
#include "editor/controlvalues.h"
#include "editor/designrows.h"
#include "editor/portable/profilebytes.h"
#include "startup/catalogue.h"
#include "toolkit/font.h"
#include "toolkit/utility.h"
#include "tray/host.h"

namespace kal {
namespace {

using namespace design;

FormInstance<frmHpImpedanceMode> gHpAmpInstance;

constexpr wchar_t kExplanation[] =
    L"Choose Headphones amplification mode according to your headset's impedance.\r\n"
    L"Don't enable high power settings unless you know for sure your headphones can handle them, or you risk "
    L"damaging your equipment.\r\n\r\n"
    L"If you are still in doubt about what setting to choose leave things untouched and check your headphone "
    L"impedance before proceeding.";
constexpr wchar_t kWarning[] =
    L"Warning: When Live Mode is on, changes are effective as soon as you choose an option, even before you click "
    L"''Close''.";

std::vector<ControlRow> DialogRows() {
    using F = frmHpImpedanceMode;
    return {Row(ControlType::Label, KAL_CONTROL(F, lblHPAmp), -1, L"", 8, 8, 384, 110),
            Row(ControlType::ComboBox, KAL_CONTROL(F, cboHpAmp), -1, L"", 8, 124, 384, 22),
            Row(ControlType::Label, KAL_CONTROL(F, lblWarning), -1, L"", 8, 156, 384, 32),
            Row(ControlType::CommandButton, KAL_CONTROL(F, cmdClose), -1, L"&Close", 308, 196, 84, 26)};
}

}  // namespace

frmHpImpedanceMode* HpImpedanceDialog() { return gHpAmpInstance.Loaded(); }
frmHpImpedanceMode& HpImpedanceDialogInstance() { return gHpAmpInstance.Get(); }

frmHpImpedanceMode::frmHpImpedanceMode() : ModalDialog(L"frmHpImpedanceMode") {
    Design(FormLayout(L"Headphone Amplification Setting", 400 * kTwips, 230 * kTwips), DialogRows());
}

frmHpImpedanceMode::~frmHpImpedanceMode() {
    AllowUnload = true;
    Unload();
}

void frmHpImpedanceMode::OnLoad() {
    SetIcon(hWnd(), kProgramIcon);
    if (gUIFont) ApplySystemFont(this);
    lblHPAmp->SetCaption(kExplanation);
    lblWarning->SetCaption(kWarning);
    ComboBox& box = *cboHpAmp;
    if (gCardCaps && gCardCaps->HPAmp) {
        const frmProfile* editor = ProfileEditor();
        if (!editor || !editor->RealTimeMode()) box.AddItem(L"Don't change", kDontChange);
        for (int n = 1; n <= gCardCaps->AmpGainModes; ++n)
            box.AddItem(gCardCaps->AmpGainModeCaption(n, false).value_or(L""), n - 1);
    }
    box.Click = [this] {
        // A gain the output hides is not sent, whatever selects it.
        frmProfile* editor = ProfileEditor();
        if (!editor || editor->LiveProfileName().empty() || !editor->HeadphoneGainShown()) return;
        if (editor->PanelConfig().empty()) return;
        // The gain of the panel the card is on; the panel goes as the card holds it. "Don't
        // change" puts back the restore point's gain of the panel, when it holds one.
        Bytes gain = HpAmp();
        const std::wstring live = editor->LiveProfileName(), name = HpImpedanceValueName(GetProfileValue(L"", L"PanelConfig"));
        if (FirstByte(gain) == kDontChange && ProfileValueExists(live, name)) gain = GetProfileValue(live, name);
        if (FirstByte(gain, kDontChange) != kDontChange) editor->SendToCard({{name, gain, frmProfile::kWholeValue}});
    };
    cmdClose->Click = [this] { Unload(); };
}

void frmHpImpedanceMode::OnQueryUnload(bool& cancel) {
    ModalDialog::OnQueryUnload(cancel);
    if (!AllowUnload) {
        Hide();
        cancel = true;
    }
}

void frmHpImpedanceMode::CurrentAmp(const std::wstring& profile) {
    CurrentAmp(profile, GetProfileValue(profile, L"PanelConfig"));
}

void frmHpImpedanceMode::CurrentAmp(const std::wstring& profile, const Bytes& panel) {
    const frmProfile* editor = ProfileEditor();
    const bool realTime = editor && editor->RealTimeMode();
    const std::wstring name = HpImpedanceValueName(panel);
    const std::uint8_t gain =
        !realTime && !ProfileValueExists(profile, name) ? kDontChange : FirstByte(GetProfileValue(profile, name));
    // A gain this card's list lacks (another card's mode) shows no entry; the editor's save
    // keeps it as loaded.
    if (!SelectItemData(*cboHpAmp, gain)) cboHpAmp->SetListIndex(-1);
}

Bytes frmHpImpedanceMode::HpAmp() const {
    return {static_cast<std::uint8_t>(SelectedItemData(*cboHpAmp, kDontChange)), 0, 0, 0};
}

}  // namespace kal
