// Handlers around the virtual speaker field: the two built-in layouts, the user's named
// layouts, the marking of the preset and the user layout the field equals (re-run whenever the
// speakers are drawn), and the buttons that move every speaker farther or closer. Live, each
// change sends the whole layout.
#include "device/portable/texts_values.h"
#include "editor/profileform.h"
#include "startup/utility.h"

namespace kal {
namespace {

// Each preset: its reference layout, then the same layout as this editor encodes it.
constexpr std::wstring_view kVssPresets[2][2] = {{kVssDefaultLayout, kVssDefaultLayoutAlt},
                                                 {kVssPositionalLayout, kVssPositionalLayoutAlt}};

}  // namespace

int frmProfile::FindVSSPresetIndex() const {
    const Bytes layout = EncodeVSpeakerPos();
    for (int i = 0; i < 2; ++i)
        for (std::wstring_view table : kVssPresets[i])
            if (ArraysEqual(layout, table)) return i;
    return -1;
}

void frmProfile::SelectMatchingVSSPreset() { SelectMatchingOption(optLoadVSSPreset, FindVSSPresetIndex()); }

void frmProfile::LoadVSSUserLayouts() { vssUserLayouts_.Load(EncodeVSpeakerPos()); }

void frmProfile::SelectMatchingVSSUserLayout() { vssUserLayouts_.SelectMatching(EncodeVSpeakerPos()); }

void frmProfile::SendVSpeakerPos(const Bytes& layout, int speaker) {
    SendToCard({{L"VSpeakerPos", layout,
                 speaker < 0 ? kWholeValue : std::vector<std::size_t>{static_cast<std::size_t>(speaker)}}});
}

void frmProfile::optLoadVSSPreset_Click(int index) {
    if (matchingPresets_) return;
    // A click while a speaker is held changes nothing, not even the marked preset.
    if (vssDragging_ || index < 0 || index > 1) return SelectMatchingVSSPreset();
    const Bytes layout = HexToBytes(kVssPresets[index][0]);
    // Placing the speakers draws them, which marks the preset and the user layout.
    ApplyVSSLayout(layout);
    SendVSpeakerPos(layout);
}

void frmProfile::cboVSSUserLayouts_Click() {
    if (vssUserLayouts_.Matching()) return;
    if (vssDragging_) return SelectMatchingVSSUserLayout();
    if (const auto layout = vssUserLayouts_.Chosen()) {
        ApplyVSSLayout(*layout);
        SendVSpeakerPos(*layout);
    }
    vssUserLayouts_.UpdateButtons();
}

void frmProfile::cmdVSSSpeakerDistance_Click(int index) {
    HWND graph = VSSGraph->Window();
    // Unlocking shows a window: only a shown field is locked.
    const bool shown = VSSGraph->Visible();
    if (shown) LockRedraw(graph, true);
    for (int i = 0; i < kVssSpeakers; ++i) {
        auto& place = speakerPlaces_[static_cast<std::size_t>(i)];
        place = MoveAlongRadius(place, index == 0, field_);
        PlaceSpeakerBox(i);
    }
    // Redrawn in place: no speaker moves again, the veil stays for "Don't Change".
    ApplyVSSLayout({});
    if (shown) LockRedraw(graph, false);
    SendVSpeakerPos(EncodeVSpeakerPos());
}

void frmProfile::WireLayoutEvents() {
    for (OptionButton* option : optLoadVSSPreset)
        option->Click = [this, i = option->Index()] { optLoadVSSPreset_Click(i); };
    for (CommandButton* button : cmdVSSSpeakerDistance)
        button->Click = [this, i = button->Index()] { cmdVSSSpeakerDistance_Click(i); };
    vssUserLayouts_.Wire([this] { cboVSSUserLayouts_Click(); }, [this] { return EncodeVSpeakerPos(); });
}

}  // namespace kal
