// The virtual speaker field: eight speaker boxes on a square picture, placed from a 128-byte
// layout and dragged with the mouse within their limits. The picture with the listener, the
// reference ring and the speakers not being dragged is drawn once into a bitmap of the form;
// a move redraws one speaker over it and copies one box-sized area.
#include <cmath>

#include "device/profilevalues.h"
#include "editor/drawing.h"
#include "editor/hooks.h"
#include "editor/portable/graphmath.h"
#include "editor/profileform.h"
#include "startup/globals.h"
#include "base/bitmaps.h"
#include "base/registry.h"
#include "startup/tables.h"
#include "startup/utility.h"

namespace kal {
namespace {

constexpr std::uint32_t kHighlight = 0x8000000D;
constexpr std::uint32_t kWhite = 0xFFFFFF;

SIZE ClientSize(HWND window) {
    RECT r{};
    ::GetClientRect(window, &r);
    return {r.right, r.bottom};
}

// A 32-bit bitmap of the size, selected into a memory context for as long as it lives.
class BitmapCanvas {
public:
    BitmapCanvas(HDC model, HBITMAP bitmap) : dc_(::CreateCompatibleDC(model)), select_(dc_.get(), bitmap) {}
    HDC get() const { return dc_.get(); }

private:
    UniqueDC dc_;
    SelectGuard select_;
};

HBITMAP Make32BitBitmap(int width, int height) {
    const BITMAPINFO info = TopDown32BitInfo(width, height);
    void* bits = nullptr;
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

}  // namespace

Bytes frmProfile::EncodeSpeakerPosition(int speaker) const {
    return EncodeSpeakerRecord(PointFromPlace(speakerPlaces_[static_cast<std::size_t>(speaker)], field_));
}

Bytes frmProfile::EncodeVSpeakerPos() const {
    Bytes encoded = EncodeSpeakerLayout(speakerPlaces_, field_);
    if (vssPlacedEncoding_.size() != encoded.size() || vssPlacedFrom_.size() != encoded.size()) return encoded;
    // Speaker by speaker: one that stands where the layout put it keeps that layout's bytes.
    for (std::size_t at = 0; at + kVssRecordSize <= encoded.size(); at += kVssRecordSize) {
        const auto from = static_cast<std::ptrdiff_t>(at), to = static_cast<std::ptrdiff_t>(at + kVssRecordSize);
        if (std::equal(encoded.begin() + from, encoded.begin() + to, vssPlacedEncoding_.begin() + from))
            std::copy(vssPlacedFrom_.begin() + from, vssPlacedFrom_.begin() + to, encoded.begin() + from);
    }
    return encoded;
}

void frmProfile::PlaceSpeakerBox(int index) {
    Control& box = *VSSSpeaker[index];
    const BoxPlace& place = speakerPlaces_[static_cast<std::size_t>(index)];
    box.Move(place.left, place.top, box.Width(), box.Height());
}

void frmProfile::ApplyVSSLayout(const Bytes& layout) {
    if (const auto points = DecodeSpeakerLayout(layout)) {
        SetSpeakersVisible(false, -1);
        for (int i = 0; i < kVssSpeakers; ++i) {
            speakerPlaces_[static_cast<std::size_t>(i)] = PlaceFromPoint((*points)[static_cast<std::size_t>(i)], field_);
            PlaceSpeakerBox(i);
        }
        vssPlacedFrom_ = layout;
        vssPlacedEncoding_ = EncodeSpeakerLayout(speakerPlaces_, field_);
    }
    DrawSoundField(-1);
    ShowSoundField();
    CopyAllSpeakerBackgrounds();
    if (optVSSLayout[1]->Value()) {
        SetSpeakersVisible(true, -1);
    } else {
        SetSpeakersVisible(false, -1);
        DrawVeil();
    }
}

void frmProfile::LoadVSpeakerPos(const std::wstring& profile) {
    Bytes value = GetProfileValue(profile, L"VSpeakerPos");
    if (!profile.empty() && BytesToHex(value) == std::wstring(256, L'0')) {
        RegDeleteValue(gRegProfiles + L"\\" + profile, L"VSpeakerPos");
        value = HexToBytes(gDriverDefaults.At(L"VSpeakerPos"));
    }
    const bool existingOrRealTime = !Tag().empty() || realTimeMode_;
    const bool set = existingOrRealTime && (realTimeMode_ || ProfileValueExists(profile, L"VSpeakerPos"));
    {
        // The layout is placed below: the choice's own handler neither draws nor sends.
        UpdatingScope updating(*this);
        optVSSLayout[set ? 1 : 0]->SetValue(true);
    }
    ApplyVSSLayout(value);
}

void frmProfile::DrawSoundField(int exceptIndex) {
    auto& graph = *VSSGraph;
    const SIZE size = ClientSize(graph.Window());
    if (!soundFieldPicture_) soundFieldPicture_.reset(Make32BitBitmap(size.cx, size.cy));
    if (!soundFieldPicture_) return;
    BitmapCanvas canvas(graph.hDC(), soundFieldPicture_.get());
    HDC dc = canvas.get();
    const auto w = static_cast<float>(size.cx), h = static_cast<float>(size.cy);
    DrawRectangleGdip(dc, ContentBorderColour(), w - 1, h - 1, 1, true, graph.BackColor(), 100);
    DrawCaptionGdip(L"SOUND_FIELD_MAN", kPictureType, dc, (w - 148.5f) / 2, (h - 133.5f) / 2 - 9, 148, 134, 0, L"",
                    nullptr, 0, 100);
    DrawCaptionGdip(L"SOUND_FIELD_REF", kPictureType, dc, (w - 194) / 2, (h - 194) / 2, 0, 0, 0, L"", nullptr, 0, 100);
    for (int i = 0; i < kVssSpeakers; ++i)
        if (i != exceptIndex) DrawVSSSpeaker(i, true, true, dc);
    // Drawn speakers mark the preset and user layout they equal (once for the whole picture).
    SelectMatchingVSSPreset();
    SelectMatchingVSSUserLayout();
}

void frmProfile::ShowSoundField() {
    auto& graph = *VSSGraph;
    if (!soundFieldPicture_) return;
    const SIZE size = ClientSize(graph.Window());
    BitmapCanvas canvas(graph.hDC(), soundFieldPicture_.get());
    ::BitBlt(graph.hDC(), 0, 0, size.cx, size.cy, canvas.get(), 0, 0, SRCCOPY);
    graph.Refresh();
}

void frmProfile::DrawVeil() {
    auto& graph = *VSSGraph;
    const SIZE size = ClientSize(graph.Window());
    DrawRectangleGdip(graph.hDC(), ContentBorderColour(), static_cast<float>(size.cx - 1),
                      static_cast<float>(size.cy - 1), 1, true, kWhite, 50);
    graph.Refresh();
}

void frmProfile::DrawVSSSpeaker(int index, bool noGlow, bool keepPicture, HDC target) {
    auto& graph = *VSSGraph;
    if (!keepPicture) ShowSoundField();
    HDC dc = target ? target : graph.hDC();
    const bool subwoofer = index == kVssSubwoofer;
    const float size = subwoofer ? 24.0f : 16.0f;
    const BoxPlace& place = speakerPlaces_[static_cast<std::size_t>(index)];
    const float left = static_cast<float>(place.left) / field_.twipsPerPixelX;
    const float top = static_cast<float>(place.top) / field_.twipsPerPixelY;
    const float x = left + (field_.boxWidth - size) / 2, y = top + (field_.boxHeight - size) / 2;
    const float angle =
        subwoofer ? 0.0f : static_cast<float>(AngleFromPoint(x, y, size, size, field_.centreX, field_.centreY));
    if (!noGlow)
        DrawShadowEllipse(dc, left + field_.boxWidth / 2, top + field_.boxHeight / 2, size - 2, size - 2, kHighlight, 20,
                          5);
    DrawCaptionGdip(subwoofer ? L"SUBWOOFER" : L"SPEAKER", kPictureType, dc, x, y, size, size, angle,
                    lblVSSSpeaker[index]->Caption(), nullptr, ContentBorderColour(), 100);
    if (target) return;
    CopySpeakerBackground(index);
    SelectMatchingVSSPreset();
    SelectMatchingVSSUserLayout();
}

void frmProfile::SetSpeakersVisible(bool visible, int exceptIndex) {
    for (int i = 0; i < kVssSpeakers; ++i)
        if (i != exceptIndex) VSSSpeaker[i]->SetVisible(visible);
}

void frmProfile::BringSpeakerToFront(int index) {
    for (int i = 0; i < kVssSpeakers; ++i)
        ::SetWindowPos(VSSSpeaker[i]->Window(), i == index ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void frmProfile::CopySpeakerBackground(int index) {
    auto& graph = *VSSGraph;
    auto& box = *VSSSpeaker[index];
    const SIZE size = ClientSize(box.Window());
    ::BitBlt(box.hDC(), 0, 0, size.cx, size.cy, graph.hDC(), TwipsToPixelsX(box.Left()), TwipsToPixelsY(box.Top()),
             SRCCOPY);
    box.Refresh();
}

void frmProfile::CopyAllSpeakerBackgrounds() {
    for (int i = 0; i < kVssSpeakers; ++i) CopySpeakerBackground(i);
}

void frmProfile::VSSSpeaker_MouseDown(int index, int /*x*/, int /*y*/) {
    vssDragging_ = true;
    DrawSoundField(index);
    SetSpeakersVisible(false, index);
    BringSpeakerToFront(index);
}

void frmProfile::VSSSpeaker_MouseMove(int index, int x, int y) {
    RECT r{};
    ::GetClientRect(VSSSpeaker[index]->Window(), &r);
    if (x >= 0 && x < r.right && y >= 0 && y < r.bottom) SetMouseCursor(SystemCursor::Hand);
    if (!vssDragging_) return;
    auto& place = speakerPlaces_[static_cast<std::size_t>(index)];
    place = DragPlace(index, place, x, y, field_);
    PlaceSpeakerBox(index);
    DrawVSSSpeaker(index, false, false, nullptr);
    VSSGraph->Refresh();
    SendVSpeakerPos(EncodeVSpeakerPos(), index);
}

void frmProfile::VSSSpeaker_MouseUp(int index) {
    if (!vssDragging_) return;
    vssDragging_ = false;
    CopyAllSpeakerBackgrounds();
    SetSpeakersVisible(true, index);
}

void frmProfile::VSSSpeaker_LostFocus(int index) {
    ShowSoundField();
    DrawVSSSpeaker(index, true, false, nullptr);
    VSSGraph->Refresh();
}

void frmProfile::WireFieldEvents() {
    for (int i = 0; i < kVssSpeakers; ++i)
        hooks_->Watch(VSSSpeaker[i]->Window(), Hooks::Kind::Speaker, i,
                      {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP, WM_SETCURSOR, WM_KILLFOCUS});
    for (int i = 0; i < 2; ++i) {
        optVSSLayout[i]->Click = [this, i] {
            // The layout choice: the presets and user layouts apply only to a set layout, and
            // the field shows its speakers or lies under a veil.
            const bool set = i == 1;
            for (Control* c :
                 ControlList{cboVSSUserLayouts, cmdVSSUserLayoutAdd, cmdVSSUserLayoutDelete, lblVSSPresets})
                c->SetEnabled(set);
            for (OptionButton* option : optLoadVSSPreset) option->SetEnabled(set);
            // Enabled, the buttons follow their own rule.
            vssUserLayouts_.UpdateButtons();
            if (Updating()) return;
            ApplyVSSLayout({});
            // Live: the layout shown, or the restore point's own when it is left out.
            if (const auto value = LiveChoice(!set, L"VSpeakerPos", EncodeVSpeakerPos())) SendVSpeakerPos(*value);
        };
    }
}

}  // namespace kal
