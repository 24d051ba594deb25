// A loaded form holding one list-view control, and helpers to read its windows back.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

#include "listview/formhost.h"
#include "listview/listview.h"
#include "toolkit/errors.h"
#include "toolkit/forms.h"

namespace kal::test {

class HostForm : public Form {
public:
    HostForm();
    ~HostForm() override { Unload(); }
};

// The stored design of the profile manager's list.
PropertyBag ProfilesDesign();

// The error `f` raises; a failure when it raises none.
std::optional<ToolkitError> Raised(const std::function<void()>& f);

class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void Make(const PropertyBag& bag = {});

    HWND List() const { return lv->hWndListView(); }
    DWORD Style() const { return static_cast<DWORD>(::GetWindowLongW(List(), GWL_STYLE)); }
    DWORD ExStyle() const { return static_cast<DWORD>(::GetWindowLongW(List(), GWL_EXSTYLE)); }
    DWORD HostExStyle() const { return static_cast<DWORD>(::GetWindowLongW(lv->hWnd(), GWL_EXSTYLE)); }
    DWORD ListEx() const { return static_cast<DWORD>(::SendMessageW(List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)); }
    LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return ::SendMessageW(List(), msg, w, l); }
    // The text the list window holds for an item (0-based).
    std::wstring RawText(int item0) const;

    HostForm form;
    std::unique_ptr<zephListViewCtl> lv;
};

}  // namespace kal::test
