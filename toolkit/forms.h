// The form layer: windows built in code from tables in twips (1440 per inch), control wrappers
// that raise Click/Change when code changes a value as well as when the user does, option
// groups per control array, picture boxes with a back buffer, and a registry of loaded forms.
// The process's message loop ends when the last form unloads. A window taller than its screen's
// work area scrolls its content (Form::SetContentHeight).
//
// A form derives from Form, describes itself with Design() in its constructor and overrides the
// hooks it needs (OnLoad, OnActivate, OnQueryUnload, OnUnload, HandleMessage). A form holds its
// controls as typed members bound from its table's rows, each row naming its member once, e.g.
//   ControlRow(ControlType::CommandButton, KAL_CONTROL(frmX, cmdSave), ...)
// so that a misspelt control does not compile and a row's name cannot differ from its member's.
// Control events are std::function members set after Load(), e.g.
//   cmdSave->Click = [this] { Save(); };
// Look-up by name (Ctl, Get) serves names that come from data; it throws for a missing control.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/font.h"
#include "toolkit/propbag.h"
#include "toolkit/slider.h"

namespace kal {

class Form;
class Control;

// Sets a form's typed member to the control just made from a row (see Bind).
using ControlBinding = std::function<void(Form& form, Control& control)>;

enum class ControlType { Label, CommandButton, CheckBox, OptionButton, TextBox, ComboBox, Frame, PictureBox, Slider, Timer };

// The name a row gives its control and, when a member of the form holds the control, that
// member's binding. A member is named with KAL_CONTROL; a bare name leaves the control unbound.
struct ControlName {
    ControlName(const wchar_t* name) : name(name) {}
    ControlName(std::wstring name) : name(std::move(name)) {}
    // A name built from data, with the member that holds it.
    ControlName(std::wstring name, ControlBinding bind) : name(std::move(name)), bind(std::move(bind)) {}

    std::wstring name;
    ControlBinding bind;
};

// The control held by member `member` of form class `form`, named as the member is.
#define KAL_CONTROL(form, member) ::kal::ControlName(L"" #member, ::kal::Bind(&form::member))

// One row of a form's table. Positions and sizes are twips in the container's client area.
struct ControlRow {
    ControlRow(ControlType type, ControlName control, int index = -1, std::wstring caption = {}, int left = 0,
               int top = 0, int width = 0, int height = 0, DWORD style = 0, std::wstring container = {},
               PropertyBag properties = {})
        : type(type),
          name(std::move(control.name)),
          index(index),
          caption(std::move(caption)),
          left(left),
          top(top),
          width(width),
          height(height),
          style(style),
          container(std::move(container)),
          properties(std::move(properties)),
          bind(std::move(control.bind)) {}

    ControlType type;
    std::wstring name;
    int index;                // >= 0: member of the control array `name`
    std::wstring caption;
    int left, top, width, height;
    DWORD style;              // window style bits added to the type's own
    std::wstring container;   // "" the form, else "name" or "name(index)" of a frame or picture box
    PropertyBag properties;   // stored properties (sliders, timers)
    ControlBinding bind;      // the form's member that holds the control, if any
};

// The row of a timer that is off until code enables it, then ticks every `interval` milliseconds.
ControlRow TimerRow(ControlName control, int interval);

struct FormLayout {
    FormLayout(std::wstring caption = {}, int width = 4800, int height = 3600, int left = -1, int top = -1,
             DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, DWORD exStyle = 0)
        : caption(std::move(caption)), width(width), height(height), left(left), top(top), style(style),
          exStyle(exStyle) {}

    std::wstring caption;
    int width, height;  // client area, twips
    int left, top;      // twips on the screen; -1 lets the system place it
    DWORD style;
    DWORD exStyle;
};

int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);
int PixelsToTwipsX(int pixels);
int PixelsToTwipsY(int pixels);

class Control {
public:
    Control(Form& form, const ControlRow& row);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    Form& Parent() const { return form_; }
    const std::wstring& Name() const { return name_; }
    int Index() const { return index_; }
    ControlType Type() const { return type_; }
    // The control's window (a slider's trackbar for a slider); null for a timer.
    virtual HWND hWnd() const { return hwnd_; }
    // The window that holds the control's children, or sits in its container.
    HWND Window() const { return hwnd_; }

    bool Enabled() const;
    virtual void SetEnabled(bool enabled);
    // The control's own visibility, whatever its container's.
    bool Visible() const;
    void SetVisible(bool visible);
    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    // Twips in the container.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void Move(int left, int top, int width, int height);
    const std::wstring& Tag() const { return tag_; }
    void SetTag(std::wstring tag) { tag_ = std::move(tag); }
    virtual void SetFont(const UIFont& font);
    const UIFont* Font() const { return font_ ? &*font_ : nullptr; }

    std::function<void()> Click;
    std::function<void()> Change;

    // A notification from the control's window (WM_COMMAND code).
    virtual void OnCommand(WORD /*code*/) {}
    // Called when the form's window is destroyed.
    virtual void Detach() { hwnd_ = nullptr; }

protected:
    void RaiseClick();
    void RaiseChange();
    // Pixels that a control of `container` lies above its content place: the form's scroll
    // position for the form's window, else 0.
    int ScrolledBy(HWND container) const;
    HWND CreateChild(const wchar_t* cls, DWORD style, DWORD exStyle, const ControlRow& row, HWND container);

    Form& form_;
    std::wstring name_;
    int index_;
    ControlType type_;
    HWND hwnd_ = nullptr;
    std::wstring tag_;
    std::optional<UIFont> font_;
};

class Label : public Control {
public:
    Label(Form& form, const ControlRow& row, HWND container);
    void OnCommand(WORD code) override;
};

class CommandButton : public Control {
public:
    CommandButton(Form& form, const ControlRow& row, HWND container);
    void OnCommand(WORD code) override;
};

// Value 0 unchecked, 1 checked, 2 grayed; a change raises Click.
class CheckBox : public Control {
public:
    CheckBox(Form& form, const ControlRow& row, HWND container);
    int Value() const;
    void SetValue(int value);
    void OnCommand(WORD code) override;
};

// One option of a group: the members of one control array in one container. Selecting one
// clears the others; the selected option raises Click when it was not selected before.
class OptionButton : public Control {
public:
    OptionButton(Form& form, const ControlRow& row, HWND container);
    bool Value() const;
    void SetValue(bool value);
    void OnCommand(WORD code) override;
};

// Change on every change of the text.
class TextBox : public Control {
public:
    TextBox(Form& form, const ControlRow& row, HWND container);
    std::wstring Text() const { return Caption(); }
    void SetText(const std::wstring& text);
    void OnCommand(WORD code) override;

private:
    int changes_ = 0;
};

// A drop-down list; choosing an item, by the user or by code, raises Click. With CBS_DROPDOWN
// in its row's style the box is editable: the user types into its edit part, which raises
// KeyPress (the typed character, before the box takes it) and KeyUp (the virtual key); the box
// raises LostFocus when the focus leaves it.
class ComboBox : public Control {
public:
    ComboBox(Form& form, const ControlRow& row, HWND container);
    ~ComboBox() override;
    bool Editable() const { return edit_ != nullptr; }
    // The edit part of an editable box (null otherwise).
    HWND EditWindow() const { return edit_; }
    // The chosen item's text, else what the edit part shows.
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    std::function<void(wchar_t)> KeyPress;
    std::function<void(WORD)> KeyUp;
    std::function<void()> LostFocus;
    void AddItem(const std::wstring& text, std::intptr_t itemData = 0);
    void Clear();
    int ListCount() const;
    std::wstring List(int i) const;
    std::intptr_t ItemData(int i) const;
    // -1 when nothing is chosen.
    int ListIndex() const;
    void SetListIndex(int i);
    void OnCommand(WORD code) override;
    void Detach() override;

private:
    class EditHook;
    void UnhookEdit();
    std::unique_ptr<EditHook> editHook_;
    HWND edit_ = nullptr;
};

// A captioned box holding other controls, its inside and caption painted in its back colour.
class Frame : public Control {
public:
    Frame(Form& form, const ControlRow& row, HWND container);
    COLORREF BackColor() const { return back_; }
    void SetBackColor(COLORREF colour);
    void SetFont(const UIFont& font) override;

private:
    COLORREF back_;
};

// A box holding other controls, with a back buffer that drawing goes to and painting shows.
class PictureBox : public Control {
public:
    PictureBox(Form& form, const ControlRow& row, HWND container);
    ~PictureBox() override;
    // The back buffer's device context; draw, then Refresh().
    HDC hDC();
    COLORREF BackColor() const { return back_; }
    void SetBackColor(COLORREF colour);
    // Fills the buffer with the back colour.
    void Cls();
    void Refresh();
    // Raised after the buffer is shown (draw directly on top of it).
    std::function<void(HDC)> Paint;

    void PaintTo(HDC target);
    void OnCommand(WORD code) override;
    void Detach() override;

private:
    void EnsureBuffer();
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    SIZE size_{};
    COLORREF back_;
};

// The slider control on a form; its Change is raised with the slider's.
class Slider : public Control {
public:
    Slider(Form& form, const ControlRow& row, HWND container);
    cSlider& Bar() { return *bar_; }
    const cSlider& Bar() const { return *bar_; }
    HWND hWnd() const override { return bar_->hWnd(); }
    std::int32_t Value() const { return bar_->Value(); }
    void SetValue(std::int32_t value) { bar_->SetValue(value); }
    void SetEnabled(bool enabled) override;

private:
    std::unique_ptr<cSlider> bar_;
};

// Raises Tick every Interval milliseconds while enabled and the form is loaded.
class Timer : public Control {
public:
    Timer(Form& form, const ControlRow& row);
    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);
    bool TimerEnabled() const { return enabled_; }
    void SetEnabled(bool enabled) override;
    void SetFont(const UIFont&) override {}
    std::function<void()> Tick;
    void Fire();
    void Detach() override;
    UINT_PTR Id() const { return id_; }

private:
    void Arm();
    int interval_ = 0;
    bool enabled_ = true;
    UINT_PTR id_;
};

class Form {
public:
    explicit Form(std::wstring name);
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    // A derived form calls Unload() in its own destructor; here only the window goes.
    virtual ~Form();

    const std::wstring& Name() const { return name_; }
    HWND hWnd() const { return hwnd_; }
    bool Loaded() const { return hwnd_ != nullptr; }
    bool Visible() const;

    // Creates the window and its controls, registers the form, runs OnLoad. Nothing when loaded.
    void Load();
    // The window the form is created in on its next load (its layout's style then includes
    // WS_CHILD); null for a top-level form.
    void SetParentWindow(HWND parent) { parent_ = parent; }
    // OnQueryUnload may cancel (false); then OnUnload, the window goes, the form is forgotten.
    bool Unload();
    // Loads when needed.
    void Show();
    void Hide();

    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    const std::wstring& Tag() const { return tag_; }
    void SetTag(std::wstring tag) { tag_ = std::move(tag); }
    void SetFont(const UIFont& font) { font_ = font; }
    const UIFont* Font() const { return font_ ? &*font_ : nullptr; }

    // The hidden main form: never disabled by modal forms, owner of the tray icon.
    bool IsMainForm() const { return main_; }
    void SetMainForm(bool main) { main_ = main; }

    // Throws std::out_of_range for a control that does not exist.
    Control& Ctl(const std::wstring& name, int index = -1) const;
    template <typename T>
    T& Get(const std::wstring& name, int index = -1) const {
        return dynamic_cast<T&>(Ctl(name, index));
    }
    Control* Find(const std::wstring& name, int index = -1) const;
    // In table order, then those added at run time.
    std::vector<Control*> Controls() const;
    // Members placed on the form that take the interface font too; each is listed once.
    void AddFontMember(FontMember& member);
    const std::vector<FontMember*>& FontMembers() const { return fontMembers_; }
    // The members of a control array, by ascending index.
    std::vector<Control*> ControlArray(const std::wstring& name) const;
    // Makes a control of a loaded form at run time (a further member of a control array, say)
    // with the form's font; it lives until the form unloads. Throws when the form is not loaded
    // or the control exists.
    Control& AddControl(const ControlRow& row);

    // The height of the client area that the form's controls take, in twips: the layout's height
    // until set. A top-level window that would be taller than its screen's work area is made as
    // tall as the work area, wider by a vertical scroll bar, and scrolls its content with the
    // bar, the mouse wheel and the keyboard's focus moves (FormDialogMessage); one that fits has
    // no bar and stays where it is. Controls keep their places in the content: Top() and Move()
    // don't change with the scroll position.
    void SetContentHeight(int twips);
    // Pixels of the content scrolled above the client area; 0 without a scroll bar.
    int ScrollTop() const { return scrollTop_; }
    // Scrolls the least that shows `window`, one of the form's descendants, whole (its top where
    // it is taller than the client area).
    void ScrollIntoView(HWND window);

    // After the interface font was put on the form and its controls (ApplySystemFont): a form
    // whose contents depend on the font refreshes them.
    virtual void OnFontApplied() {}

    // Set while code fills the controls; handlers that write back check it.
    bool Updating() const { return updating_ > 0; }
    class UpdatingScope {
    public:
        explicit UpdatingScope(Form& f) : f_(f) { ++f_.updating_; }
        ~UpdatingScope() { --f_.updating_; }
        UpdatingScope(const UpdatingScope&) = delete;
        UpdatingScope& operator=(const UpdatingScope&) = delete;

    private:
        Form& f_;
    };

    // Window procedure of forms and containers (internal).
    LRESULT Dispatch(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    // The window and its table; called by the derived form's constructor.
    void Design(FormLayout layout, std::vector<ControlRow> controls);

    // The menu bar that the form's window is made with (the form keeps owning it); none by
    // default. A bar given at creation costs no frame change afterwards.
    virtual HMENU CreationMenu() { return nullptr; }
    virtual void OnLoad() {}
    virtual void OnActivate() {}
    virtual void OnQueryUnload(bool& /*cancel*/) {}
    virtual void OnUnload() {}
    // Any message of the form's window before the layer's own handling; true when handled.
    virtual bool HandleMessage(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/) {
        return false;
    }

private:
    friend class FontMember;
    friend bool FormDialogMessage(MSG& msg);
    void RemoveFontMember(FontMember& member);
    std::unique_ptr<Control> MakeControl(const ControlRow& row);
    // Made and handed to its row's binding.
    std::unique_ptr<Control> MakeBoundControl(const ControlRow& row);
    void DestroyWindowAndControls();
    // The window's height, scroll bar and place for contentHeight_ (formscroll.cpp).
    void FitToWorkArea();
    void ScrollTo(int top);
    // The scroll bar's and the wheel's messages to the form's window; true when handled.
    bool Scroll(UINT msg, WPARAM wParam);

    std::wstring name_;
    FormLayout layout_;
    std::vector<ControlRow> table_;
    std::vector<std::unique_ptr<Control>> controls_;
    HWND hwnd_ = nullptr;
    HWND parent_ = nullptr;
    std::wstring tag_;
    std::optional<UIFont> font_;
    std::vector<FontMember*> fontMembers_;
    bool main_ = false;
    int updating_ = 0;
    int contentHeight_ = 0;  // pixels
    int scrollTop_ = 0;      // pixels
};

// A dialog that holds the modal state (SetModalState) from its activation until it unloads.
class ModalDialog : public Form {
public:
    using Form::Form;

protected:
    void OnActivate() override;
    void OnQueryUnload(bool& cancel) override;
};

// The registry of loaded forms.
bool IsFormLoaded(const std::wstring& name);

// The one instance of a window kind: made on first use and made anew once the last one has
// unloaded (the old object is released here, outside its own handlers).
// Logs the exception being handled as "<form's name> <where>"; never throws.
void LogFormCaught(const Form& form, const wchar_t* where) noexcept;

template <typename F>
class FormInstance {
public:
    // The loaded window; null while none is loaded.
    F* Loaded() const { return form_ && form_->Loaded() ? form_.get() : nullptr; }
    // The instance, created when there is none or the last one has unloaded (not loaded by this).
    F& Get() {
        if (form_ && !form_->Loaded()) form_.reset();
        if (!form_) form_ = std::make_unique<F>();
        return *form_;
    }
    // Get(), then `open` shows or loads it; null when that failed (the form is unloaded again).
    template <typename Opener>
    F* Open(Opener open) {
        F& form = Get();
        try {
            open(form);
        } catch (...) {
            LogFormCaught(form, L"opening");
            form.Unload();
            return nullptr;
        }
        return &form;
    }
    // Opens the window shown and in front, or brings the open one to the front.
    F* ShowInFront() {
        return Open([](F& form) {
            form.Show();
            ::SetForegroundWindow(form.hWnd());
        });
    }

private:
    std::unique_ptr<F> form_;
};

Form* FindForm(const std::wstring& name);
// In load order.
std::vector<Form*> LoadedForms();
Form* MainForm();

// Runs the message loop until the last form unloads; returns at once when none is loaded.
int RunMessageLoop();
// The dialog manager's part of the loop: true when `msg` was keyboard navigation of a loaded
// form (Tab, arrow keys, mnemonics), which has been carried out and the focused control scrolled
// into view, or the wheel turned over a control of a form that scrolls, other than the focused
// one, which has scrolled the form instead; the caller then neither translates nor dispatches it.
bool FormDialogMessage(MSG& msg);

// Acting as the user. Each refuses (false) a control that is disabled or not visible, or whose
// form is either.
namespace User {
bool CanAct(const Control& control);
bool Click(Control& control);
bool SetText(TextBox& box, const std::wstring& text);
bool ChooseOption(OptionButton& option);
bool ChooseItem(ComboBox& box, int index);
// Types the text into an editable box's edit part at its caret, key by key ("\b" erases).
bool TypeText(ComboBox& box, const std::wstring& text);
// Drags the thumb to the position showing `value` and lets go.
bool DragTo(Slider& slider, std::int32_t value);
// Turns the wheel over the slider; positive notches away from the user.
bool Wheel(Slider& slider, int notches);
}  // namespace User

// The binding of a row to a form's typed member (KAL_CONTROL makes it): Bind(&frmX::cmdSave)
// for a single control; for a control array, Bind(&frmX::csliEQ) with a std::array or
// std::vector of pointers, where the control's Index is its place (a vector grows to hold it).
// A member of the wrong type throws std::bad_cast when the form loads.
template <typename F, typename T>
ControlBinding Bind(T* F::*member) {
    return [member](Form& form, Control& c) { dynamic_cast<F&>(form).*member = &dynamic_cast<T&>(c); };
}
template <typename F, typename T, std::size_t N>
ControlBinding Bind(std::array<T*, N> F::*member) {
    return [member](Form& form, Control& c) {
        (dynamic_cast<F&>(form).*member).at(static_cast<std::size_t>(c.Index())) = &dynamic_cast<T&>(c);
    };
}
template <typename F, typename T>
ControlBinding Bind(std::vector<T*> F::*member) {
    return [member](Form& form, Control& c) {
        auto& all = dynamic_cast<F&>(form).*member;
        const auto at = static_cast<std::size_t>(c.Index());
        if (all.size() <= at) all.resize(at + 1, nullptr);
        all[at] = &dynamic_cast<T&>(c);
    };
}

}  // namespace kal
