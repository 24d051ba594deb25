// The Mixer page handlers driven as the user drives them in live mode: a channel's gain reaching
// the card, the restore point's gain coming back when its row is taken out, and the column box.
#include "device/profilevalues.h"
#include "startup/tables.h"
#include "tests/editor/editor_fixture.h"

using namespace kal;
using namespace kal::testing;

namespace {

class MixerHandlers : public EditorFixture {};

TEST_F(MixerHandlers, AChannelTakenOutOfTheProfileGetsTheRestorePointsGainBack) {
    UseEditorCard(kD2);
    frmProfile& editor = OpenEditor(L"");
    editor.imgTab_Click(1);
    const std::wstring name(gChannelVolumeValues[0]);
    const Bytes original = GetProfileValue(L"", name);
    auto& set = editor.Get<CheckBox>(L"chkPlaybackSet", 0);
    auto& slider = editor.Get<Slider>(L"csliOutputChannel", 0);
    ASSERT_EQ(set.Value(), 0);
    const int before = slider.Value();

    ASSERT_TRUE(User::Click(set));
    EXPECT_TRUE(slider.Enabled());
    EXPECT_TRUE(editor.Ctl(L"lblOutputChannelVolume", 0).Enabled());
    // One box of several enabled ones: the column box turns grayed and changes no row.
    EXPECT_EQ(editor.Get<CheckBox>(L"chkPlaybackSetAll").Value(), 2);
    EXPECT_EQ(editor.Get<CheckBox>(L"chkPlaybackSet", 1).Value(), 0);

    const int target = before > 50 ? 20 : 80;
    ASSERT_TRUE(User::DragTo(slider, target));
    EXPECT_EQ(editor.Ctl(L"lblOutputChannelVolume", 0).Caption(), std::to_wstring(target) + L"%");
    EXPECT_NE(GetProfileValue(L"", name), original);

    ASSERT_TRUE(User::Click(set));
    EXPECT_FALSE(slider.Enabled());
    EXPECT_EQ(slider.Value(), before);
    EXPECT_EQ(GetProfileValue(L"", name), original);

    // The column box sets every enabled row; the row handlers send each channel.
    auto& all = editor.Get<CheckBox>(L"chkPlaybackSetAll");
    ASSERT_TRUE(User::Click(all));
    for (int i = 0; i < 8; ++i) {
        const auto& row = editor.Get<CheckBox>(L"chkPlaybackSet", i);
        if (row.Enabled()) {
            EXPECT_EQ(row.Value(), all.Value()) << i;
        }
    }
}

}  // namespace
