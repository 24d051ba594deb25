// The slider control: a window of its own holding one system trackbar, keeping the slider's
// properties and turning the trackbar's scroll notifications and the mouse wheel into one
// change event. It receives the trackbar's notifications through its own window and the
// trackbar's wheel messages as a subclassing client.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/colour.h"
#include "toolkit/propbag.h"
#include "base/subclass.h"

namespace kal {

class cSlider final : public ISubclass {
public:
    enum Orientations : std::int32_t { Horizontal = 0, Vertical = 1, VerticalInverted = 2 };

    cSlider() = default;
    cSlider(const cSlider&) = delete;
    cSlider& operator=(const cSlider&) = delete;
    ~cSlider();

    // Creates the control's window inside `parent` (pixels) and applies the stored properties;
    // the trackbar is created on the way. Throws ToolkitError when its messages can't be attached.
    bool Create(HWND parent, int x, int y, int width, int height, const PropertyBag& bag = {});
    // Stores the properties that differ from their defaults.
    void WriteProperties(PropertyBag& bag) const;

    // The trackbar; the control's own window.
    HWND hWnd() const { return trackbar_; }
    HWND HostWindow() const { return host_; }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    std::uint32_t BackColor() const { return backColor_; }
    void SetBackColor(std::uint32_t oleColour);
    bool HideFocusRectangle() const { return hideFocus_; }
    void SetHideFocusRectangle(bool hide);
    std::int32_t Min() const { return min_; }
    void SetMin(std::int32_t value);
    std::int32_t Max() const { return max_; }
    void SetMax(std::int32_t value);
    void SetRange(std::int32_t min, std::int32_t max);
    std::int32_t Value() const;
    // Raises Change when the value differs from the present one.
    void SetValue(std::int32_t value);
    // Orientation and Tooltip take effect when the trackbar is created.
    std::int32_t Orientation() const { return orientation_; }
    void SetOrientation(std::int32_t value) { orientation_ = value; }
    bool Tooltip() const { return tooltip_; }
    void SetTooltip(bool value) { tooltip_ = value; }
    std::int16_t WheelIncrement() const { return wheelIncrement_; }
    void SetWheelIncrement(std::int16_t value) { wheelIncrement_ = value; }
    const std::wstring& Tag() const { return tag_; }
    void SetTag(std::wstring tag) { tag_ = std::move(tag); }

    // Position <-> value; the same mapping serves both ways.
    std::int32_t ValueFromPosition(std::int32_t x) const;

    // Raised with the new value on every scroll notification and on each change of Value.
    std::function<void(std::int32_t)> Change;

    std::int32_t MsgResponse() const override { return MsgResponseConsume; }
    void SetMsgResponse(std::int32_t value) override { msgResponse_ = value; }
    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;

private:
    static LRESULT CALLBACK HostProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void CreateTrackbar();
    void DestroyTrackbar();
    void Resize();
    void RaiseChange(std::int32_t value);

    HWND host_ = nullptr;
    HWND trackbar_ = nullptr;
    HBRUSH brush_ = nullptr;
    bool attached_ = false;
    std::int32_t orientation_ = Horizontal;
    std::uint32_t backColor_ = 0;
    bool enabled_ = true;
    std::int32_t min_ = 1;
    std::int32_t max_ = 100;
    std::int32_t position_ = 0;
    bool tooltip_ = true;
    std::int16_t wheelIncrement_ = 0;
    bool hideFocus_ = false;
    std::int32_t msgResponse_ = 0;
    std::wstring tag_;
};

}  // namespace kal
