// `ppgControl`: the image list's page for the icon size and the colour depth. A size change is
// applied by re-creating the list through a temporary file, the images scaled to the new size.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "toolkit/images/iconrecord.h"
#include "toolkit/pages/pageframe.h"
#include "base/subclass.h"
#include "toolkit/tooltip.h"

namespace kal {

class ppgControl : public PropertyPage, private ISubclass {
public:
    ppgControl();
    ~ppgControl() override;

    std::wstring PageCaption() const override { return L"Properties"; }
    SIZE PageSize() const override { return SIZE{5790, 3600}; }

    void Initialize() override;
    void SelectionChanged() override;
    bool ApplyChanges() override;

    // The position of the last accepted colour-depth entry.
    int LastDepthEntry() const { return lastDepthEntry_; }
    clsToolTip& ToolTips() { return tips_; }

protected:
    void OnLoad() override;
    void OnUnload() override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void SizeClicked(int index);
    void SizeBoxChanged(int index);
    void DepthClicked();
    void ShowSizes(std::int32_t x, std::int32_t y);
    // Rebuilds the list at its (new) size from `file`; false when it could not, the list then
    // rebuilt at `oldX` x `oldY` and depth `oldDepth`.
    bool Recreate(zephImageList& list, const std::wstring& file, bool hasImages, std::int32_t oldX,
                  std::int32_t oldY, std::int32_t oldDepth);

    // Digits-only key presses of the size boxes.
    std::int32_t MsgResponse() const override { return MsgResponseConsume; }
    void SetMsgResponse(std::int32_t) override {}
    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;

    int lastDepthEntry_ = 0;
    clsToolTip tips_;
    std::vector<HWND> filtered_;
    UniqueGdiObject bandBrush_;
    UIFont bold_;
};

}  // namespace kal
