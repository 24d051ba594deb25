// How a form's visible controls sit at the screen's scale: each inside its container's client
// area, apart from its siblings, and its text whole in its own font with the room the control
// draws around it (a check mark's box and gap, a button's edge). Windows that the form places
// in itself or its containers outside its table (a list view) are measured for their place too.
#pragma once
#include <initializer_list>
#include <set>
#include <string>

#include "toolkit/forms.h"

namespace kal::testing {

// Each fault names the control and its text: "name(index): text"; an overlap names both. A
// window outside the table is named by its class and its count among those: "KalvenorListView#1".
// `unreachable` holds the controls that no position of the window's scroll bar brings whole into
// the part of its client area that lies on the screen's work area (a window without a scroll bar
// has the one position).
struct LayoutFaults {
    std::set<std::string> outside, overlapping, clipped, unreachable;
};

// What a design shows on purpose: `partial` names controls that show part of their text (a
// preview of a long sample), left out of `clipped`; `stacked` names control arrays whose members
// lie on each other (the speakers of a field), left out of `overlapping` among themselves.
struct LayoutByDesign {
    std::initializer_list<const wchar_t*> partial = {};
    std::initializer_list<const wchar_t*> stacked = {};
};

// The faults of the form's visible controls. A control of the window itself counts as inside
// while it lies in the height the window scrolls through; a container that shows controls is
// reached when they are, though it be taller than the work area.
LayoutFaults MeasureLayout(const Form& form, const LayoutByDesign& design = {});

// Expects none of the faults; a failure names `where` (the window and its state).
void ExpectWholeLayout(const Form& form, const std::string& where, const LayoutByDesign& design = {});

}  // namespace kal::testing
