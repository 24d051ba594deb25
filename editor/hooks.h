// The editor's window messages that the form layer does not turn into events: the mouse over
// the speaker boxes, the name box's typed characters, an effect box taking the focus, and the
// colours of labels and buttons on tinted panels.
#pragma once
#include <windows.h>

#include <map>
#include <vector>

#include "editor/profileform.h"
#include "base/subclass.h"

namespace kal {

class frmProfile::Hooks final : public ISubclass {
public:
    explicit Hooks(frmProfile& form) : form_(form) {}
    ~Hooks();
    Hooks(const Hooks&) = delete;
    Hooks& operator=(const Hooks&) = delete;

    enum class Kind { Speaker, NameBox, Tinted, EffectBox };
    void Watch(HWND window, Kind kind, int index, std::initializer_list<UINT> messages);
    // Labels, check boxes and option buttons drawn on `colour` (an RGB value) in their container.
    void Tint(HWND control, COLORREF colour);

    std::int32_t MsgResponse() const override { return MsgResponseConsume; }
    void SetMsgResponse(std::int32_t) override {}
    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;

private:
    struct Target {
        Kind kind;
        int index;
    };
    HBRUSH BrushFor(COLORREF colour);

    frmProfile& form_;
    std::map<HWND, Target> targets_;
    std::vector<std::pair<HWND, UINT>> attached_;
    std::map<HWND, COLORREF> tints_;
    std::map<COLORREF, HBRUSH> brushes_;
};

}  // namespace kal
