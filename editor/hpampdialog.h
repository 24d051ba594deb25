// The headphone gain dialog: the gain mode of the card's headphone amplifier for the profile
// being edited, or for the card itself in the real-time window. It stays loaded, hidden, while
// the editor is open, so that the choice outlives closing it; the editor reads it when saving.
#pragma once
#include <string>

#include "base/hextext.h"
#include "toolkit/forms.h"

namespace kal {

class frmHpImpedanceMode final : public ModalDialog {
public:
    frmHpImpedanceMode();
    ~frmHpImpedanceMode() override;

    // Closing only hides the dialog until the editor unloads it with this set.
    bool AllowUnload = false;
    // Selects the profile's stored gain ("" = the card's), "Don't change" when a profile lacks it.
    void CurrentAmp(const std::wstring& profile);
    // The gain the profile holds for panel `panel` (PanelConfig's bytes).
    void CurrentAmp(const std::wstring& profile, const Bytes& panel);
    // {gain mode, 0, 0, 0}; 255 "Don't change"; {255, 0, 0, 0} with nothing selected.
    Bytes HpAmp() const;

    Label *lblHPAmp{}, *lblWarning{};
    ComboBox* cboHpAmp{};
    CommandButton* cmdClose{};

protected:
    void OnLoad() override;
    void OnQueryUnload(bool& cancel) override;
};

// The loaded dialog; null while none is loaded.
frmHpImpedanceMode* HpImpedanceDialog();
// The one instance, created on first use (not loaded by this).
frmHpImpedanceMode& HpImpedanceDialogInstance();

}  // namespace kal
