// What device code asks of the windows that own the user interface. The device library does not
// know the forms: the main form implements ITrayServices and the profile editor implements
// IInputLineEditor, and device code finds each through a route the program's composition root
// installs once. Both are used on the user-interface thread only.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace kal {

class ITrayServices {  // the main form
public:
    // The card's speakers output was disabled (false) or enabled again (true): the program's
    // features are suspended or resumed, and the user is told.
    virtual void SpeakersOutputChanged(bool enabled) = 0;
    // The form layer's refreshes, run for device code by the main form: the menus and the
    // profile list, and the open editor and volume pop-up.
    virtual void RefreshProfilesForm() = 0;
    virtual void RefreshOpenForms(bool force, bool ownChangeInProgress) = 0;
    // The mute or volume of the card's speakers changed, from outside the program or by a window
    // of its own that does not rebuild the menus: the tray icon and tip follow.
    virtual void MasterOutputChanged() = 0;

protected:
    ~ITrayServices() = default;
};

class IInputLineEditor {  // the profile editor
public:
    // True in real-time settings mode.
    virtual bool RealTimeMode() const = 0;
    // The name of the profile being edited ("" for a new profile or real-time mode).
    virtual std::wstring ProfileTag() const = 0;
    // The device of recording input `input` became active or inactive: the line's row is offered
    // or not, and shows the line's state.
    virtual void InputLineStateChanged(int input, bool active) = 0;
    // Shows the line as the recording source (unless the editor leaves the source alone).
    virtual void ShowRecordingSource(const std::wstring& lineId) = 0;
    // Re-reads the speaker configuration and the device format fields.
    virtual void RefreshSpeakersAndFormat() = 0;

protected:
    ~IInputLineEditor() = default;
};

// How device code finds the two windows: each route returns the loaded window, or null. The
// composition root installs the windows' own accessors; tests may install stand-ins.
struct DeviceWindowRoutes {
    std::function<ITrayServices*()> tray;
    std::function<IInputLineEditor*()> inputLineEditor;
};
DeviceWindowRoutes& WindowRoutes();

// The loaded main form; null while none is loaded (or no route is installed).
ITrayServices* TrayServices();
// The loaded profile editor; null while it is closed (or no route is installed).
IInputLineEditor* InputLineEditor();

}  // namespace kal
