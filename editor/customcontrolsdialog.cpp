#include "editor/customcontrolsdialog.h"

#include <algorithm>

#include "base/log.h"
#include "device/audio.h"
#include "device/cardlines.h"
#include "device/mixervalues.h"
#include "device/profilevalues.h"
#include "editor/controlvalues.h"
#include "editor/designrows.h"
#include "toolkit/font.h"
#include "toolkit/utility.h"
#include "tray/host.h"

namespace kal {
namespace {

using namespace design;

constexpr int kGap = 120;  // twips
constexpr std::uint8_t kDontSet = 255;

FormInstance<frmInputLineCustomControls> gCustomInstance;

using F = frmInputLineCustomControls;

// Frame k with its picture box and three options; frame 0 is designed, the others are made
// when a line needs them.
std::vector<ControlRow> FrameRows(int k) {
    const std::wstring picture = Member(L"pctCustomControl", k);
    const std::wstring group = F::OptionGroup(k);
    return {Row(ControlType::Frame, KAL_CONTROL(F, fraCustomControl), k, L"", 8, 8, 280, 50),
            Row(ControlType::PictureBox, KAL_CONTROL(F, pctCustomControl), k, L"", 6, 18, 268, 26,
                Member(L"fraCustomControl", k)),
            Row(ControlType::OptionButton, group.c_str(), 255, L"Don't Set", 8, 4, 84, 18, picture),
            Row(ControlType::OptionButton, group.c_str(), 0, L"Disable", 96, 4, 84, 18, picture),
            Row(ControlType::OptionButton, group.c_str(), 1, L"Enable", 184, 4, 80, 18, picture)};
}

std::vector<ControlRow> DialogRows() {
    std::vector<ControlRow> c = FrameRows(0);
    c.push_back(Row(ControlType::CommandButton, KAL_CONTROL(F, cmdClose), -1, L"&Close", 204, 66, 84, 26));
    return c;
}

}  // namespace

std::wstring frmInputLineCustomControls::OptionGroup(int frame) { return L"optCustomControl" + std::to_wstring(frame); }

frmInputLineCustomControls* InputLineCustomControlsDialog() { return gCustomInstance.Loaded(); }
frmInputLineCustomControls& InputLineCustomControlsDialogInstance() { return gCustomInstance.Get(); }

frmInputLineCustomControls::frmInputLineCustomControls() : ModalDialog(L"frmInputLineCustomControls") {
    Design(FormLayout(L"Input Line Custom Settings", 296 * kTwips, 100 * kTwips), DialogRows());
}

frmInputLineCustomControls::~frmInputLineCustomControls() { Unload(); }

void frmInputLineCustomControls::OnLoad() {
    SetIcon(hWnd(), kProgramIcon);
    if (gUIFont) ApplySystemFont(this);
    // The frames added for a line went with the last load.
    fraCustomControl.resize(1);
    pctCustomControl.resize(1);
    WireFrame(0);
    cmdClose->Click = [this] { Unload(); };
}

// The option groups are found by their names, which are made from the frame's number.
void frmInputLineCustomControls::WireFrame(int k) {
    for (Control* option : ControlArray(OptionGroup(k)))
        option->Click = [this, k, option] { Chosen(k, static_cast<std::uint8_t>(option->Index())); };
}

int frmInputLineCustomControls::FrameCount() const { return static_cast<int>(fraCustomControl.size()); }

int frmInputLineCustomControls::Line() const {
    try {
        return Tag().empty() ? -1 : std::stoi(Tag());
    } catch (const std::exception&) {
        LogCaught(L"frmInputLineCustomControls line number");
        return -1;
    }
}

void frmInputLineCustomControls::CurrentCustomControls() {
    const int line = Line();
    if (line < 0 || line >= 8 || !gAudio) return;
    const std::wstring& id = gInputLineIds[static_cast<std::size_t>(line)];
    const int count = gAudio->CustomControls.Contains(id) ? static_cast<int>(gAudio->CustomControls.At(id).size()) : 0;
    const std::int32_t monitor = gInputLineMonitorControl[static_cast<std::size_t>(line)];
    const frmProfile* editor = ProfileEditor();
    const bool realTime = editor && editor->RealTimeMode();
    // One frame for each control but the monitoring switch, 120 twips apart.
    const int frames = count - (monitor ? 1 : 0);
    for (int i = 1; i < frames; ++i) {
        if (i >= FrameCount()) {
            for (const ControlRow& row : FrameRows(i)) AddControl(row);
            WireFrame(i);
        }
        const Frame& above = *fraCustomControl[i - 1];
        Frame& frame = *fraCustomControl[i];
        frame.Move(frame.Left(), above.Top() + above.Height() + kGap, frame.Width(), frame.Height());
        frame.SetVisible(true);
    }
    for (int i = std::max(1, frames); i < FrameCount(); ++i) fraCustomControl[i]->SetVisible(false);
    int k = 0;
    for (int n = 1; n <= count && k < FrameCount(); ++n) {
        if (n == monitor) continue;
        Frame& frame = *fraCustomControl[k];
        frame.SetCaption(gAudio->ControlName(id, n));
        frame.SetTag(std::to_wstring(n));
        // The frame's options by their group's name, which is made from the frame's number.
        const std::wstring group = OptionGroup(k);
        Ctl(group, 255).SetVisible(!realTime);
        Control& off = Ctl(group, 0);
        Control& on = Ctl(group, 1);
        off.Move(realTime ? 120 : 1440, off.Top(), off.Width(), off.Height());
        on.Move(realTime ? 1440 : 2760, on.Top(), on.Width(), on.Height());
        CurrentCustomControl(n);
        ++k;
    }
    // The window holds the frames with the button below the last.
    const Frame& last = *fraCustomControl[std::max(0, frames - 1)];
    cmdClose->Move(cmdClose->Left(), last.Top() + last.Height() + kGap, cmdClose->Width(), cmdClose->Height());
    SetContentHeight(cmdClose->Top() + cmdClose->Height() + kGap);
}

void frmInputLineCustomControls::CurrentCustomControl(int n) {
    const frmProfile* editor = ProfileEditor();
    const int line = Line();
    if (!editor || line < 0) return;
    for (int k = 0; k < FrameCount(); ++k) {
        if (fraCustomControl[k]->Tag() != std::to_wstring(n)) continue;
        const std::uint8_t v = editor->GetCustomControlsValues(line, n);
        UpdatingScope updating(*this);
        SelectOption(*this, OptionGroup(k), v <= 1 ? v : kDontSet);
        return;
    }
}

void frmInputLineCustomControls::Chosen(int frame, std::uint8_t value) {
    frmProfile* editor = ProfileEditor();
    const int line = Line();
    const std::wstring& tag = fraCustomControl.at(frame)->Tag();
    if (Updating() || !editor || line < 0 || line >= 8 || tag.empty()) return;
    const int n = std::stoi(tag);
    editor->SetCustomControlsValues(line, n, value);
    editor->LiveApplyCustomControl(line, n, true);
}

}  // namespace kal
