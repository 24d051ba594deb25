// A row of tabs over stacked pages, for the windows that page their controls. The form's table
// holds, for tab i, a picture box `imgTab(i)` (the tab; it takes the mouse and the click) with a
// label `lblTab(i)` on it (the caption), and a picture box `pctTabContent(i)` (the page) whose
// top edge meets the tab's bottom edge. One page shows at a time.
//
// The strip draws the tabs and the pages' edges. Each page has a one-pixel edge that is open
// along its own tab, and the current tab is drawn in its page's colour with its sides running
// into the page's, so that tab and page read as one sheet in front. The other tabs stand two
// pixels lower in their highlight colour, with the page's top edge along their foot; a tab under
// the pointer that is neither current nor disabled is highlighted.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "base/subclass.h"

namespace kal {

class Form;
class PictureBox;

class TabStrip final : public ISubclass {
public:
    // Highlight colours (OLE colours) of a tab: at rest, and under the pointer.
    static constexpr std::uint32_t kPlain = 0x80000000;
    static constexpr std::uint32_t kHover = 0x80000018;

    explicit TabStrip(Form& form);
    ~TabStrip();
    TabStrip(const TabStrip&) = delete;
    TabStrip& operator=(const TabStrip&) = delete;

    // Once the form's controls exist: page `current` is the only one shown, the tabs and the
    // pages' edges (in `edge`, an RGB value) are drawn, the tabs' clicks select them and the mouse
    // over the tabs and the pages is watched. The captions let the mouse through to their tabs.
    void Attach(int current, COLORREF edge);
    // Before the form's windows go.
    void Detach();

    int Count() const;
    int Current() const { return current_; }
    // The highlighted tab; -1 for none.
    int Hovered() const { return hovered_; }
    // Takes the highlight off; then, unless `index` is the current tab or no tab, shows its page
    // instead of the current one and makes it current.
    void Select(int index);
    // Takes the highlight off every tab.
    void ResetHover();
    // Tab `index` highlighted while the pointer is at (x, y) pixels in it; another position
    // takes the highlight off. Nothing for the current tab or a disabled one.
    void MouseOverTab(int index, int x, int y);
    // The highlight colour of tab `index` (kPlain or kHover).
    std::uint32_t Highlight(int index) const { return index == hovered_ ? kHover : kPlain; }
    // Draws tab `index` again.
    void Paint(int index);

    // After Select changed the current tab.
    std::function<void(int previous, int current)> Switched;
    // After the highlight of tab `index` changed.
    std::function<void(int index)> HighlightChanged;

    // ISubclass: the mouse over the tabs and the pages, the captions' colours, a tab's enabling.
    std::int32_t MsgResponse() const override { return MsgResponseConsume; }
    void SetMsgResponse(std::int32_t) override {}
    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;

private:
    PictureBox* Tab(int index) const;
    PictureBox* Page(int index) const;
    // The colour tab `index` is filled with.
    COLORREF TabFill(int index) const;
    void SetHover(int index);
    void PaintPage(int index);
    void Watch(HWND window, UINT message);
    HBRUSH BrushFor(COLORREF colour);

    Form& form_;
    int current_ = 0;
    int hovered_ = -1;
    COLORREF edge_ = 0;
    std::vector<std::pair<HWND, UINT>> attached_;
    std::map<HWND, int> tabs_;   // tab windows -> index
    std::map<HWND, int> pages_;  // page windows -> index
    std::map<COLORREF, HBRUSH> brushes_;
};

}  // namespace kal
