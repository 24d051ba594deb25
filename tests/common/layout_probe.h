// How a form's visible controls sit at the screen's scale: each inside its container's client
// area, apart from its siblings, and its text whole in its own font with the room the control
// draws around it (a check mark's box and gap, a button's edge).
#pragma once
#include <initializer_list>
#include <set>
#include <string>

#include "toolkit/forms.h"

namespace kal::testing {

// Each fault names the control and its text: "name(index): text"; an overlap names both.
// `beyondScreen` holds the controls that the bottom of a window as tall as the screen cuts off:
// the screen, not the design, is too small for them.
struct LayoutFaults {
    std::set<std::string> outside, overlapping, clipped, beyondScreen;
};

// The faults of the form's visible controls; `partial` names controls that show part of their
// text by design (a preview of a long sample), left out of `clipped`.
LayoutFaults MeasureLayout(const Form& form, std::initializer_list<const wchar_t*> partial = {});

// Expects no control of the form outside its container and no text cut; a failure names
// `where` (the window and its state). Controls beyond the screen's bottom are reported, not
// failed.
void ExpectWholeLayout(const Form& form, const std::string& where);

}  // namespace kal::testing
