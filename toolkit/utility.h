// Procedures the forms use around their windows.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace kal {

class Form;

// Step of a slider per wheel notch, from the "SliderWheelIncrement" setting; 0 leaves the
// sliders' own.
extern std::int16_t gWheelIncrement;

// Marks the form modal and disables every other visible loaded form except the main form;
// lowering enables exactly the forms that raising disabled, once no other modal form holds them.
// Asking for the present state changes nothing.
void SetModalState(Form& form, bool modal);
bool IsModal(const Form& form);

// The main form's tray icon (id 0) in screen coordinates; all zero when unknown.
RECT GetNotifyIconRect();

// The work area (the screen less its taskbars) of the monitor that holds the most of `window`.
RECT WorkAreaOf(HWND window);

// Copies gWheelIncrement into every slider of the form when it is not 0.
void ApplyWheelIncrement(Form& form);

// The Index of the first set option of the control array, in index order; -1 when none.
std::int16_t FindSetOption(const Form& form, const std::wstring& arrayName);


// Registers the class of a control's own container window (arrow cursor, the system colour
// `background` behind it); a class registered before stays as it is.
void RegisterControlClass(const wchar_t* name, WNDPROC proc, int background);

// Makes the item at `position` of the form's first menu the default one.
BOOL SetDefaultMenuItem(Form& form, UINT position);

}  // namespace kal
