#include "editor/swapsdialog.h"

#include "editor/designrows.h"
#include "editor/portable/profilebytes.h"
#include "startup/tables.h"
#include "toolkit/font.h"
#include "toolkit/utility.h"
#include "tray/host.h"

namespace kal {
namespace {

using namespace design;

constexpr int kGap = 120;  // twips between the frames and around them
constexpr std::uint8_t kDontSet = 255;

using F = frmAnalogOutputSettings;

// A group's controls, caption and value name.
struct SwapGroup {
    Frame* F::*frame;
    PictureBox* F::*picture;
    std::vector<OptionButton*> F::*options;
    const wchar_t* caption;
    const wchar_t* value;
};

const SwapGroup kGroups[3] = {
    {&F::fraHeadphoneLRXchg, &F::pctHeadphoneLRXchg, &F::optHeadphoneLRXchg,
     L"Exchange Headphones Left / Right Channels", L"HeadphoneLRXchg"},
    {&F::fraCenterBassXchg, &F::pctCenterBassXchg, &F::optCenterBassXchg, L"Exchange Center / Bass Channels",
     L"CenterBassXchg"},
    {&F::fraSideRearXchg, &F::pctSideRearXchg, &F::optSideRearXchg, L"Exchange Rear / Side Surround Channels",
     L"SideRearXchg"},
};

FormInstance<frmAnalogOutputSettings> gSwapsInstance;

// Group i's rows: its frame, the picture box holding its options, and the three options.
void AddGroupRows(std::vector<ControlRow>& c, int i, ControlName frame, ControlName picture,
                  const ControlName& options) {
    const std::wstring frameName = frame.name, pictureName = picture.name;
    c.push_back(Row(ControlType::Frame, std::move(frame), -1, kGroups[i].caption, 8, 8 + i * 58, 340, 50));
    c.push_back(Row(ControlType::PictureBox, std::move(picture), -1, L"", 6, 18, 328, 26, frameName));
    c.push_back(Row(ControlType::OptionButton, options, 255, L"Don't Set", 6, 4, 100, 18, pictureName));
    c.push_back(Row(ControlType::OptionButton, options, 0, L"Disable", 114, 4, 100, 18, pictureName));
    c.push_back(Row(ControlType::OptionButton, options, 1, L"Enable", 222, 4, 100, 18, pictureName));
}

std::vector<ControlRow> DialogRows() {
    std::vector<ControlRow> c;
    AddGroupRows(c, 0, KAL_CONTROL(F, fraHeadphoneLRXchg), KAL_CONTROL(F, pctHeadphoneLRXchg),
                 KAL_CONTROL(F, optHeadphoneLRXchg));
    AddGroupRows(c, 1, KAL_CONTROL(F, fraCenterBassXchg), KAL_CONTROL(F, pctCenterBassXchg),
                 KAL_CONTROL(F, optCenterBassXchg));
    AddGroupRows(c, 2, KAL_CONTROL(F, fraSideRearXchg), KAL_CONTROL(F, pctSideRearXchg),
                 KAL_CONTROL(F, optSideRearXchg));
    c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(F, cmdClose), -1, L"&Close", 264, 186, 84, 26));
    return c;
}

Bytes EditorSwap(const frmProfile& editor, int which) {
    switch (which) {
    case 0: return editor.GetHeadphoneLRXchg();
    case 1: return editor.GetCenterBassXchg();
    default: return editor.GetSideRearXchg();
    }
}

void SetEditorSwap(frmProfile& editor, int which, const Bytes& value) {
    switch (which) {
    case 0: editor.SetHeadphoneLRXchg(value); break;
    case 1: editor.SetCenterBassXchg(value); break;
    default: editor.SetSideRearXchg(value); break;
    }
}

}  // namespace

frmAnalogOutputSettings* AnalogOutputSettingsDialog() { return gSwapsInstance.Loaded(); }
frmAnalogOutputSettings& AnalogOutputSettingsDialogInstance() { return gSwapsInstance.Get(); }

frmAnalogOutputSettings::frmAnalogOutputSettings() : ModalDialog(L"frmAnalogOutputSettings") {
    Design(FormLayout(L"Analog output Settings", 356 * kTwips, 220 * kTwips), DialogRows());
}

frmAnalogOutputSettings::~frmAnalogOutputSettings() { Unload(); }

void frmAnalogOutputSettings::OnLoad() {
    SetIcon(hWnd(), kProgramIcon);
    if (gUIFont) ApplySystemFont(this);
    const frmProfile* editor = ProfileEditor();
    const Bytes config = editor ? editor->SpeakerConfig() : Bytes{};
    const std::uint8_t c = FirstByte(config);
    const bool shown[3] = {c == 1, c == 6 || c == 7, c == 7};
    for (int i = 0; i < 3; ++i) {
        Frame* frame = this->*kGroups[i].frame;
        frame->SetVisible(shown[i]);
        frame->SetTag(shown[i] ? L"*" : L"");
    }
    // The real-time window has no "Don't Set": "Disable" and "Enable" take the first places.
    if (editor && editor->RealTimeMode()) {
        for (const SwapGroup& g : kGroups) {
            const std::vector<OptionButton*>& options = this->*g.options;
            OptionButton *keep = options.at(kDontSet), *off = options.at(0), *on = options.at(1);
            keep->SetVisible(false);
            on->Move(off->Left(), on->Top(), on->Width(), on->Height());
            off->Move(keep->Left(), off->Top(), off->Width(), off->Height());
        }
    }
    // The marked frames stack from the top, the button below them.
    Frame &headphones = *fraHeadphoneLRXchg, &centre = *fraCenterBassXchg, &side = *fraSideRearXchg;
    if (headphones.Tag() != L"*") centre.Move(centre.Left(), headphones.Top(), centre.Width(), centre.Height());
    side.Move(side.Left(), centre.Top() + centre.Height() + kGap, side.Width(), side.Height());
    int top = kGap;
    for (const Frame* frame : {&headphones, &centre, &side})
        if (frame->Tag() == L"*") top += frame->Height() + kGap;
    cmdClose->Move(cmdClose->Left(), top + kGap, cmdClose->Width(), cmdClose->Height());
    SetContentHeight(cmdClose->Top() + cmdClose->Height() + kGap);

    for (int i = 0; i < 3; ++i)
        for (OptionButton* option : this->*kGroups[i].options)
            if (option) option->Click = [this, i, index = option->Index()] { SwapChosen(i, index); };
    cmdClose->Click = [this] { Unload(); };
    CurrentHeadphoneLRXchg();
    CurrentCenterBassXchg();
    CurrentSideRearXchg();
}

void frmAnalogOutputSettings::CurrentHeadphoneLRXchg() { CurrentSwap(0); }
void frmAnalogOutputSettings::CurrentCenterBassXchg() { CurrentSwap(1); }
void frmAnalogOutputSettings::CurrentSideRearXchg() { CurrentSwap(2); }

// A hidden group shows the driver's default; a value of no option leaves the group as it is.
void frmAnalogOutputSettings::CurrentSwap(int which) {
    const SwapGroup& g = kGroups[which];
    Bytes value = HexToBytes(gDriverDefaults.At(g.value));
    const frmProfile* editor = ProfileEditor();
    if (editor && (this->*g.frame)->Tag() == L"*") value = EditorSwap(*editor, which);
    UpdatingScope updating(*this);
    const std::vector<OptionButton*>& options = this->*g.options;
    const std::size_t chosen = FirstByte(value, kDontSet);
    if (chosen < options.size() && options[chosen]) options[chosen]->SetValue(true);
}

void frmAnalogOutputSettings::SwapChosen(int which, int index) {
    frmProfile* editor = ProfileEditor();
    if (Updating() || !editor) return;
    SetEditorSwap(*editor, which, {static_cast<std::uint8_t>(index), 0, 0, 0});
    editor->LiveApplySwap(which);
}

}  // namespace kal
