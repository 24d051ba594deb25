// The volume pop-up: a small borderless panel next to the tray that shows and changes the card's
// master output at once (volume, balance, mute, SVN, analog output, Windows channels) with a
// level meter fed by the card's driver. It closes as soon as it loses activation; while it is
// open the mouse wheel anywhere on the screen moves its volume.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "base/hextext.h"
#include "base/raii.h"
#include "toolkit/forms.h"
#include "tray/host.h"

namespace kal {

inline void UnhookChecked(HHOOK h) { ::UnhookWindowsHookEx(h); }
using UniqueHook = UniqueResource<HHOOK, nullptr, UnhookChecked>;

// Plays a system sound by its alias with PlaySoundW flags; replaceable for tests.
using SystemSoundPlayer = std::function<void(const wchar_t* alias, DWORD flags)>;
// Null puts PlaySoundW back.
void SetSystemSoundPlayer(SystemSoundPlayer player);

class frmVolume final : public Form, public IVolumeView {
public:
    frmVolume();
    ~frmVolume() override;

    // Fills every control from the card and Windows without writing anything back.
    void CurrentValues() override;
    // Fills the volume and balance sliders and the Mute box alone, as CurrentValues does.
    void CurrentMaster() override;

    // What the panel shows and holds, for tests and the benchmark.
    int MeterHeight() const { return meterHeight_; }
    // Pixels of bar 0 (the level lowered by the master volume) and bar 1 (the driver's level).
    int BarHeight(int bar) const { return bar == 0 ? bar0_ : bar1_; }
    bool MeterWasOn() const { return meterWasOn_; }
    bool MouseHookInstalled() const { return static_cast<bool>(mouseHook_); }

    // The controls, bound from the form's table.
    PictureBox* pctVolume{};  // the panel the others sit on
    ComboBox *cboAnalogOutput{}, *cboAudioChannels{};
    Slider *csliVolume{}, *csliMasterBalance{};
    PictureBox* pctPeak{};
    Label *lblMasterVolume{}, *lblMasterVolumeDB{}, *lblMasterBalanceL{}, *lblMasterBalanceR{}, *lblSettings{},
        *lblSystemMixer{};
    CheckBox *chkMute{}, *chkSVN{};
    CommandButton* cmdMasterBalanceReset{};
    Timer *timerPeak{}, *timerSound{}, *timerUnload{};

protected:
    void OnLoad() override;
    void OnActivate() override;
    void OnQueryUnload(bool& cancel) override;
    void OnUnload() override;
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    class LinkHover;
    class BusyScope;
    friend LRESULT CALLBACK VolumeMouseHookProc(int code, WPARAM wParam, LPARAM lParam);

    void BindEvents();
    void FillLists();
    void LayOutForXP();
    void MeterOn();
    void ShowVolumeLabels(std::int32_t value);
    void UpdateMasterBalance();
    Currency ReadPeakLevel();
    void DrawMeter();
    void WheelTurned(short delta);
    IVolumeEditorLink* LiveEditor() const;

    void cboAnalogOutput_Click();
    void cboAudioChannels_Click();
    void chkMute_Click();
    void chkSVN_Click();
    void csliVolume_Change();
    void timerPeak_Timer();
    void timerSound_Timer();

    bool busy_ = false;
    bool editorWasOpen_ = false;
    bool neoSupported_ = false;
    bool meterWasOn_ = false;
    int meterHeight_ = 0;
    int bar0_ = 0, bar1_ = 0;
    Currency liveVolume_ = 0;
    Bytes levelBlock_;
    UniqueHook mouseHook_;
    std::unique_ptr<LinkHover> hover_;
};

// Loads the one pop-up (a closed one is made anew) and returns its window; the caller places
// and shows it. The tray's left click opens it through this.
HWND ShowVolumePopup();
// The loaded pop-up; null while it is closed.
frmVolume* VolumePopup();

}  // namespace kal
