#include "tray/host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/forms.h"

using namespace kal;

namespace {

std::vector<std::wstring> gCalls;

class EditorForm : public Form, public IProfileEditorView {
public:
    EditorForm() : Form(L"frmEditorTest") {}
    ~EditorForm() override { Unload(); }
    std::wstring LiveProfileName() const override { return live; }
    void SetLiveProfileName(const std::wstring& name) override { live = name; }
    void CommandReset(bool force) override { gCalls.push_back(L"reset:" + live + (force ? L"+" : L"-")); }
    std::wstring live;
};

class VolumeForm : public Form, public IVolumeView {
public:
    VolumeForm() : Form(L"frmVolumeTest") {}
    ~VolumeForm() override { Unload(); }
    void CurrentValues() override { gCalls.push_back(L"volume"); }
    void CurrentMaster() override { gCalls.push_back(L"master"); }
};

class MenuForm : public Form, public IMenuOwner, public IProfileListView {
public:
    MenuForm() : Form(L"frmMenuTest") {}
    ~MenuForm() override { Unload(); }
    void UpdateMenus() override { gCalls.push_back(L"menus"); }
    void UpdateProfiles(const std::wstring&, bool) override {}
    std::wstring CurrentProfile() const override { return L""; }
    void UpdateActiveProfile() override { gCalls.push_back(L"active"); }
};

TEST(Views, OpenFormsRefreshUnlessTheChangeIsOurOwn) {
    gCalls.clear();
    RefreshOpenForms(true, false);  // nothing loaded
    EXPECT_TRUE(gCalls.empty());

    EditorForm editor;
    VolumeForm volume;
    editor.Load();
    volume.Load();
    RefreshOpenForms(false, false);
    EXPECT_EQ(gCalls, std::vector<std::wstring>{L"volume"});  // live mode off: no editor reload

    editor.live = L"~Live";
    gCalls.clear();
    RefreshOpenForms(false, true);  // our own change: nothing
    EXPECT_TRUE(gCalls.empty());
    RefreshOpenForms(true, true);  // forced: the live name is empty during the reload
    EXPECT_EQ(gCalls, (std::vector<std::wstring>{L"reset:+", L"volume"}));
    EXPECT_EQ(editor.live, L"~Live");
}

TEST(Views, ProfilesRefreshRebuildsMenusFirst) {
    gCalls.clear();
    MenuForm main;
    main.Load();
    RefreshProfilesForm();
    EXPECT_EQ(gCalls, (std::vector<std::wstring>{L"menus", L"active"}));
}

}  // namespace
