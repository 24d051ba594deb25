// One system tooltip window serving any number of controls. Each control is one tool, identified
// by its window handle; the tooltip subclasses the control itself, so no relaying is needed.
// An optional header line can be put in front of every tip text.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

namespace kal {

class clsToolTip {
public:
    clsToolTip() = default;
    clsToolTip(const clsToolTip&) = delete;
    clsToolTip& operator=(const clsToolTip&) = delete;
    ~clsToolTip();

    // Creates the tooltip window owned by `owner` once; true when it exists.
    bool Create(HWND owner);
    HWND hWnd() const { return tip_; }
    HWND ToolTipHandle() const { return tip_; }

    // False when the control is no window, has a tool already, or there is no tooltip window.
    bool AddTool(HWND control, const std::wstring& text);
    bool RemoveTool(HWND control);
    bool HasToolTip(HWND control);
    int ToolCount() const;
    // "" when the control has no tool.
    std::wstring ToolText(HWND control);
    // An empty text removes the tool; a control without a tool is not added.
    void SetToolText(HWND control, const std::wstring& text);

    COLORREF BackColor() const;
    void SetBackColor(COLORREF colour);
    COLORREF ForeColor() const;
    void SetForeColor(COLORREF colour);
    // `which` is taken And 3: 0 automatic, 1 reshow, 2 autopop, 3 initial.
    int DelayTime(int which) const;
    void SetDelayTime(int which, int milliseconds);
    // Side 0 left, 1 top, 2 right, 3 bottom; another side reads 0 and writes nothing new.
    int Margin(int side) const;
    void SetMargin(int side, int value);
    int MaxTipWidth() const;
    // A width below 1 means no limit.
    void SetMaxTipWidth(int width);

    const std::wstring& ToolTipHeader() const { return header_; }
    // Also turns the header on.
    void SetToolTipHeader(const std::wstring& header);
    bool ToolTipHeaderShow() const { return headerShow_; }
    void SetToolTipHeaderShow(bool show) { headerShow_ = show; }

private:
    std::wstring WithHeader(const std::wstring& text) const;
    // Finds the control's tool, dropping on the way tools whose control window is gone.
    bool FindTool(HWND control, TTTOOLINFOW& info);
    void NoteLength(const std::wstring& text);
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;

    HWND tip_ = nullptr;
    std::size_t longest_ = 0;  // largest text length + 1 ever given
    std::wstring header_;
    bool headerShow_ = false;
};

}  // namespace kal
