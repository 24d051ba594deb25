// The analog output swaps dialog: the headphone left/right, centre/bass and side/rear channel
// exchanges of the profile being edited (or of the card in the real-time window). It keeps no
// values: each choice goes to the editor at once, and in live mode to the card.
#pragma once
#include <vector>

#include "toolkit/forms.h"

namespace kal {

class frmAnalogOutputSettings final : public ModalDialog {
public:
    frmAnalogOutputSettings();
    ~frmAnalogOutputSettings() override;

    // Each selects its group's option from the editor's value.
    void CurrentHeadphoneLRXchg();
    void CurrentCenterBassXchg();
    void CurrentSideRearXchg();

    // Each group: its frame, the picture box holding its options, and the options "Don't Set"
    // (index 255), "Disable" (0) and "Enable" (1).
    Frame *fraHeadphoneLRXchg{}, *fraCenterBassXchg{}, *fraSideRearXchg{};
    PictureBox *pctHeadphoneLRXchg{}, *pctCenterBassXchg{}, *pctSideRearXchg{};
    std::vector<OptionButton*> optHeadphoneLRXchg, optCenterBassXchg, optSideRearXchg;
    CommandButton* cmdClose{};

protected:
    void OnLoad() override;

private:
    void CurrentSwap(int which);
    void SwapChosen(int which, int index);
};

// The loaded dialog; null while none is loaded.
frmAnalogOutputSettings* AnalogOutputSettingsDialog();
frmAnalogOutputSettings& AnalogOutputSettingsDialogInstance();

}  // namespace kal
