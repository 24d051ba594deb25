#include "startup/catalogue.h"

#include <bit>

namespace kal {

KeyedCollection<std::int32_t> gEnhancementFields;
KeyedCollection<std::shared_ptr<const CardModel>> gCardModels;
std::shared_ptr<const CardModel> gCardCaps;

namespace {

constexpr const wchar_t* kModes[] = {L"01", L"04", L"03", L"06", L"07", L"Dolby", L"DTS"};
constexpr std::int32_t kNone = -1;  // the table holds no such key

// rows[r][c]: channel count 2, 4, 6, 8 by row; output mode by column (kModes order).
std::shared_ptr<const BehaviorTable> MakeTable(const std::int32_t (&rows)[4][7]) {
    auto table = std::make_shared<BehaviorTable>();
    const wchar_t channels[] = {L'2', L'4', L'6', L'8'};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 7; ++c)
            if (rows[r][c] != kNone) table->Add(std::wstring(1, channels[r]) + kModes[c], rows[r][c]);
    return table;
}

constexpr std::int32_t kTableA[4][7] = {
    {210, 1538, 98331, 98331, 98331, 98331, kNone},
    {194, 1538, 98307, 98307, 98331, 98307, kNone},
    {194, 1538, 98307, 98307, 98331, 98307, kNone},
    {194, 1538, 98307, 98307, 98307, 98307, kNone},
};
constexpr std::int32_t kTableB[4][7] = {
    {8402, 1538, 110619, 110619, 110619, 110619, 110619},
    {194, 1538, 98307, 98307, 98331, 98307, 98307},
    {194, 1538, 98307, 98307, 98331, 98307, 98307},
    {194, 1538, 98307, 98307, 98307, 98307, 98307},
};
constexpr std::int32_t kTableC[4][7] = {
    {194, 0, 98307, 98307, kNone, 0, kNone},
    {194, 0, 98307, 98307, kNone, 0, kNone},
    {194, 0, 98307, 98307, kNone, 0, kNone},
    {194, 0, 98307, 98307, kNone, 0, kNone},
};
constexpr std::int32_t kTableD[4][7] = {
    {0, 0, 110595, 110595, 110595, kNone, 110595},
    {0, 0, 98307, 98307, 98307, kNone, 98307},
    {0, 0, 98307, 98307, 98307, kNone, 98307},
    {0, 0, 98307, 98307, 98307, kNone, 98307},
};

enum GainSet { kNoAmp, kSet1, kSet1Xense, kSet2 };

void AddGainModes(CardModel& m, GainSet set) {
    switch (set) {
        case kNoAmp:
            return;
        case kSet1:
        case kSet1Xense:
            m.AmpGainModeCaptions = {L"Normal Gain (0dB for <64 ohms)", L"High Gain (+12dB for 64~300 ohms)",
                                     L"Extra High Gain (+18db for 300~600 ohms)"};
            m.AmpGainModeShortCaptions = {L"Normal Gain", L"High Gain", L"Extra High Gain"};
            if (set == kSet1Xense) {
                m.AmpGainModeCaptions.push_back(L"Sennheiser PC 350 \"Xense\" Edition");
                m.AmpGainModeShortCaptions.push_back(L"Sennheiser");
            }
            break;
        case kSet2:
            m.AmpGainModeCaptions = {L"VOIP Mode or for <32ohms headsets", L"Pro-gaming Mode or for 32~64ohms headsets",
                                     L"Exciter Mode or for >64ohms headsets"};
            m.AmpGainModeShortCaptions = {L"VOIP", L"Pro-gaming", L"Exciter"};
            break;
    }
    m.AmpGainModes = static_cast<std::int16_t>(m.AmpGainModeCaptions.size());
}

}  // namespace

std::optional<std::wstring> CardModel::AmpGainModeCaption(int mode, bool shortCaption) const {
    const auto& list = shortCaption ? AmpGainModeShortCaptions : AmpGainModeCaptions;
    if (mode < 1 || mode > static_cast<int>(list.size())) return std::nullopt;
    return list[static_cast<std::size_t>(mode - 1)];
}

std::optional<std::int32_t> CardModel::Behavior(std::wstring_view key) const {
    if (!EnhancementsBehaviors) return std::nullopt;
    if (const std::int32_t* v = EnhancementsBehaviors->Find(key)) return *v;
    return std::nullopt;
}

std::optional<int> EffectField(std::int32_t behavior, std::wstring_view effect) {
    const std::int32_t* mask = gEnhancementFields.Find(effect);
    if (!mask || !*mask) return std::nullopt;
    return (behavior & *mask) >> std::countr_zero(static_cast<std::uint32_t>(*mask));
}

void BuildCardCatalogue() {
    gEnhancementFields.Clear();
    gEnhancementFields.Add(L"VSS", 0x7);
    gEnhancementFields.Add(L"PL2X", 0x38);
    gEnhancementFields.Add(L"DH", 0x1C0);
    gEnhancementFields.Add(L"DVS", 0xE00);
    gEnhancementFields.Add(L"NEO", 0x7000);
    gEnhancementFields.Add(L"SUM", 0x38000);

    const auto a = MakeTable(kTableA), b = MakeTable(kTableB), c = MakeTable(kTableC), d = MakeTable(kTableD);
    struct Row {
        const wchar_t* subsys;
        const wchar_t* caption;
        bool supported, aec, frontPanel;
        std::int32_t maxRate;
        GainSet gains;
        bool dolby, dts;
        std::shared_ptr<const BehaviorTable> table;
    };
    const Row rows[] = {
        {L"82751043", L"Xonar DX", true, true, true, 192000, kNoAmp, true, false, a},
        {L"83271043", L"Xonar DX", true, true, true, 192000, kNoAmp, true, false, a},
        {L"834F1043", L"Xonar D1", true, true, true, 192000, kNoAmp, true, false, a},
        {L"835C1043", L"Xonar Essence STX", true, true, true, 192000, kSet1, true, false, a},
        {L"835D1043", L"Xonar Essence ST", true, true, true, 192000, kSet1, true, false, a},
        {L"85F41043", L"Xonar Essence STX II", true, true, true, 192000, kSet1, true, false, a},
        {L"84281043", L"Xonar Xense", true, true, true, 192000, kSet1Xense, true, false, a},
        {L"82691043", L"Xonar D2", true, true, false, 192000, kNoAmp, true, true, b},
        {L"82B71043", L"Xonar DX2", true, true, false, 192000, kNoAmp, true, true, b},
        {L"5431415A", L"Auzen X-Meridian 7.1", true, true, true, 192000, kNoAmp, true, true, b},
        {L"017A5431", L"Auzen X-Meridian 7.1 2G", true, true, true, 192000, kNoAmp, true, true, b},
        {L"84671043", L"Xonar DG", true, true, true, 96000, kSet2, false, false, c},
        {L"85211043", L"Xonar DGX", true, true, true, 96000, kSet2, false, false, c},
        {L"855E1043", L"Xonar DG SI", true, true, true, 96000, kSet2, false, false, c},
        {L"838E1043", L"Xonar DS", true, false, true, 192000, kNoAmp, false, true, d},
        {L"85221043", L"Xonar DSX", true, false, true, 192000, kNoAmp, false, true, d},
        {L"83141043", L"Xonar HDAV1.3", false, true, false, 192000, kNoAmp, true, true, nullptr},
        {L"835E1043", L"Xonar 1.3 Slim", false, true, false, 192000, kNoAmp, true, true, nullptr},
    };
    gCardModels.Clear();
    for (const Row& r : rows) {
        auto m = std::make_shared<CardModel>();
        m->Subsys = r.subsys;
        m->Caption = r.caption;
        m->Supported = r.supported;
        m->AEC = r.aec;
        m->FrontPanel = r.frontPanel;
        m->MaxSampleRate = r.maxRate;
        m->HPAmp = r.gains != kNoAmp;
        AddGainModes(*m, r.gains);
        m->Dolby = r.dolby;
        m->DTS = r.dts;
        m->EnhancementsBehaviors = r.table;
        std::wstring key = m->Subsys;
        gCardModels.Add(std::move(key), std::move(m));
    }
}

}  // namespace kal
