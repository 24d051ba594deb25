// The AEC page: acoustic echo cancellation on or off, with its explanation.
#include "editor/designrows.h"

namespace kal {

using namespace design;

void AddAecPage(EditorDesign& d) {
    const std::wstring page = Member(L"pctTabContent", 3);
    auto& c = d.controls;
    c.push_back(Row(ControlType::Frame, L"fraAECActivate", -1, L"State", 4, 4, 260, 48, page));
    c.push_back(Row(ControlType::PictureBox, L"pctAECActivate", -1, L"", 6, 16, 248, 26, L"fraAECActivate"));
    c.push_back(Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optAEC), 0, L"Disable", 4, 4, 90, 18,
                    L"pctAECActivate"));
    c.push_back(Row(ControlType::OptionButton, KAL_CONTROL(frmProfile, optAEC), 1, L"Enable", 100, 4, 90, 18,
                    L"pctAECActivate"));
    c.push_back(Row(ControlType::Label, KAL_CONTROL(frmProfile, lblAEC), -1, L"", 8, 64, 500, 200, page));
}

}  // namespace kal
