// The interface font: one face, size and style for the text of every dialog.
#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

namespace kal {

class Control;
class Form;

struct UIFont {
    std::wstring name = L"Arial";
    double size = 9;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;

    // The font built from a LOGFONT at the screen's resolution; copies share the handle, which
    // lives while any copy does.
    HFONT Handle() const;

private:
    mutable std::shared_ptr<HFONT__> handle_;
    mutable LOGFONTW made_{};
};

// An object a form keeps as a member and places on itself outside its control table (a list
// view, say): it takes the interface font with the form's controls. It leaves its form's list
// when it goes, and the form lets go of it when the form goes.
class FontMember {
public:
    virtual void TakeFont(const UIFont& font) = 0;

protected:
    FontMember() = default;
    FontMember(const FontMember&) = delete;
    FontMember& operator=(const FontMember&) = delete;
    ~FontMember();

private:
    friend class Form;
    Form* form_ = nullptr;
};

// Set by the main form while it loads and again after the user changes the face or size.
extern std::optional<UIFont> gUIFont;

// The system's menu font, or the face of the "UIFont" setting, at the "UIFontSize" setting's
// size (system size for 0 or a text that is no number).
UIFont GetSystemFont();
// Puts gUIFont on the form, on every control of it and on the members placed on it.
void ApplySystemFont(Form* form);
// The font's properties on the control, and its handle on the control's windows (a timer has
// neither).
void ApplyFontToControl(Control& control, const UIFont& font);

// The LOGFONT a font is built from, at `pixelsPerInch`.
LOGFONTW MakeLogFont(const UIFont& font, int pixelsPerInch);

}  // namespace kal
