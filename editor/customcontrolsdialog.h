// The input line custom controls dialog: for each extra on/off mixer control of one recording
// line (its monitoring switch excepted), whether the profile enables it, disables it or leaves
// it alone. The choices live in the editor's custom-control table; in live mode each also goes
// to the card at once.
#pragma once
#include <string>
#include <vector>

#include "toolkit/forms.h"

namespace kal {

class frmInputLineCustomControls final : public ModalDialog {
public:
    frmInputLineCustomControls();
    ~frmInputLineCustomControls() override;

    // Builds the frames for the line in the Tag (0..7) and selects each from the editor's values.
    void CurrentCustomControls();
    // Selects control n's option from the editor's value: 0 "Disable", 1 "Enable", else "Don't Set".
    void CurrentCustomControl(int n);
    // The three options of frame k are one group: index 255 "Don't Set", 0 "Disable", 1 "Enable".
    static std::wstring OptionGroup(int frame);

    // Frame k holds picture box k, which holds the options of OptionGroup(k); frame 0 is
    // designed, the others are added when a line needs them.
    std::vector<Frame*> fraCustomControl;
    std::vector<PictureBox*> pctCustomControl;
    CommandButton* cmdClose{};

protected:
    void OnLoad() override;

private:
    void Chosen(int frame, std::uint8_t value);
    int Line() const;
    // The options of frame k report their choice.
    void WireFrame(int k);
    // The frames made so far.
    int FrameCount() const;
};

// The loaded dialog; null while none is loaded.
frmInputLineCustomControls* InputLineCustomControlsDialog();
frmInputLineCustomControls& InputLineCustomControlsDialogInstance();

}  // namespace kal
