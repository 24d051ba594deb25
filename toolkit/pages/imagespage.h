// `ppgImages`: the image list's page for its images. It draws them as a horizontal strip that
// scrolls, marks the current one, and adds images from files (icons, cursors, animated cursors,
// bitmaps and other pictures), removes, moves and keys them, clears the list and chooses the
// transparent colour for bitmaps. Every edit goes to the control at once.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "toolkit/images/iconrecord.h"
#include "toolkit/pages/pageframe.h"
#include "base/subclass.h"
#include "toolkit/tooltip.h"

namespace kal {

// A horizontal scroll bar in pixel units whose maximum is a reachable value.
class PageScrollBar {
public:
    void Create(HWND parent, const RECT& pixels);
    HWND hWnd() const { return hwnd_; }
    std::int32_t Value() const;
    void SetValue(std::int32_t value);
    std::int32_t Max() const;
    void SetMax(std::int32_t max);
    std::int32_t SmallChange() const { return small_; }
    void SetSmallChange(std::int32_t v) { small_ = v; }
    std::int32_t LargeChange() const { return large_; }
    void SetLargeChange(std::int32_t v) { large_ = v; }
    bool Enabled() const { return hwnd_ && ::IsWindowEnabled(hwnd_); }
    void SetEnabled(bool enabled);
    // A WM_HSCROLL request; true when the value changed.
    bool Scroll(WORD request, WORD thumb);

private:
    HWND hwnd_ = nullptr;
    std::int32_t small_ = 1;
    std::int32_t large_ = 1;
};

class ppgImages : public PropertyPage, private ISubclass {
public:
    ppgImages();
    ~ppgImages() override;

    std::wstring PageCaption() const override { return L"Images"; }
    SIZE PageSize() const override { return SIZE{5790, 4650}; }

    void Initialize() override;
    void SelectionChanged() override;
    bool ApplyChanges() override;

    // Page state, for those who show or check it.
    std::int32_t CurrentIndex() const { return current_; }
    const RECT& StripRect() const { return strip_; }
    PageScrollBar& hscScroll() { return hscScroll_; }
    // The colour sample's background (the colour bitmaps are added with in manual mode).
    COLORREF SampleColour() const { return sample_; }
    // A pixel of the page's drawing surface, in client pixels.
    COLORREF SurfacePixel(int x, int y) const;
    clsToolTip& ToolTips() { return tips_; }

protected:
    void OnLoad() override;
    void OnUnload() override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void DrawImageStrip();
    void EnsureCurrentVisible(int direction);
    void CommitKeyEdit();
    void ShowTransparentColour();
    void AddCursorFrames(const std::wstring& file, std::int32_t insertBefore, const std::wstring& key);
    bool AddPicture(const std::wstring& file, std::int32_t insertBefore, const std::wstring& key,
                    std::int32_t transparent);

    void AddClicked();
    void RemoveClicked();
    void ClearClicked();
    void MoveBack();
    void MoveForward();
    void BackClicked();
    void NextClicked();
    void KeyChanged();
    void ColourBoxChanged();
    void TransparencyClicked(int option);
    void PickColourClicked();
    void MousePressed(int x, int y);
    void Scrolled();

    // Colours of the boxes and labels inside the frames, and the size boxes' key filter.
    std::int32_t MsgResponse() const override { return MsgResponseConsume; }
    void SetMsgResponse(std::int32_t) override {}
    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;
    HBRUSH Brush(COLORREF colour);

    void EnsureSurface();
    HWND Handle(const wchar_t* name, int index = -1) const { return Ctl(name, index).Window(); }

    std::int32_t current_ = -1;
    RECT strip_{};
    PageScrollBar hscScroll_;
    clsToolTip tips_;
    UIFont symbols_;
    std::vector<std::pair<HWND, UINT>> hooked_;

    // Colours of the transparent-colour boxes.
    COLORREF sample_ = 0;
    COLORREF rgbBack_ = 0;
    COLORREF rgbText_ = 0;
    COLORREF rgbLabelText_ = 0;
    COLORREF keyBack_ = 0;
    std::vector<std::pair<COLORREF, UniqueGdiObject>> brushes_;

    // The drawing surface: a 32-bit picture of the page's client area.
    UniqueDC surfaceDc_;
    UniqueBitmap surface_;
    HGDIOBJ surfaceOld_ = nullptr;
    std::uint32_t* surfaceBits_ = nullptr;
    SIZE surfaceSize_{};
};

}  // namespace kal
