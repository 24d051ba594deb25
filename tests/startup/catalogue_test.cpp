#include "startup/catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "base/keyed.h"

using namespace kal;

class Catalogue : public ::testing::Test {
protected:
    void SetUp() override { BuildCardCatalogue(); }
    static const CardModel& Model(const wchar_t* subsys) { return *gCardModels.At(subsys); }
};

TEST_F(Catalogue, HoldsEighteenRecordsForSeventeenModelsInOrder) {
    ASSERT_EQ(gCardModels.Count(), 18u);
    EXPECT_EQ(gCardModels.begin()->first, L"82751043");
    EXPECT_EQ((gCardModels.end() - 1)->first, L"835E1043");
    std::set<std::wstring> captions;
    for (const auto& [key, model] : gCardModels) {
        EXPECT_EQ(key, model->Subsys);
        captions.insert(model->Caption);
    }
    EXPECT_EQ(captions.size(), 17u);
}

TEST_F(Catalogue, LooksUpWithoutRegardToCase) {
    ASSERT_NE(gCardModels.Find(L"5431415a"), nullptr);
    EXPECT_EQ(Model(L"5431415a").Caption, L"Auzen X-Meridian 7.1");
    EXPECT_EQ(gCardModels.Find(L"12345678"), nullptr);
    EXPECT_THROW(gCardModels.At(L"12345678"), std::out_of_range);
}

// Keyed collections fold letter case beyond ASCII, as the registry compares key names, whatever
// the C runtime's locale.
TEST(KeyedCollection, KeysCompareWithoutCaseBeyondAscii) {
    KeyedCollection<int> c;
    c.Add(L"Жук", 1);
    c.Add(L"été", 2);
    EXPECT_EQ(c.At(L"жУК"), 1);
    EXPECT_EQ(c.At(L"ÉTÉ"), 2);
    EXPECT_THROW(c.Add(L"ЖУК", 3), std::invalid_argument);
    EXPECT_EQ(c.Find(L"Жуки"), nullptr);
    EXPECT_TRUE(EqualsNoCase(L"ÿ ǆ ᾀ ⓐ ａ", L"Ÿ Ǆ ᾈ Ⓐ Ａ"));
    // An upper case that does not lower-case back is no case pair: the registry tells these apart.
    const wchar_t* const notPairs[][2] = {{L"ı", L"I"}, {L"ſ", L"S"}, {L"ǅ", L"Ǆ"}, {L"µ", L"Μ"}};
    for (const auto& pair : notPairs) EXPECT_FALSE(EqualsNoCase(pair[0], pair[1])) << pair[0];
    EXPECT_TRUE(ContainsNoCase(L"Наушники Xonar", L"УШНИКИ x"));
    EXPECT_EQ(ToUpper(L"straße ÿ жук \U0001F3A7"), L"STRAßE Ÿ ЖУК \U0001F3A7");
}

TEST_F(Catalogue, BothDxIdsDescribeTheSameCard) {
    const CardModel &a = Model(L"82751043"), &b = Model(L"83271043");
    EXPECT_EQ(a.Caption, L"Xonar DX");
    EXPECT_EQ(b.Caption, L"Xonar DX");
    EXPECT_EQ(a.AEC, b.AEC);
    EXPECT_EQ(a.FrontPanel, b.FrontPanel);
    EXPECT_EQ(a.MaxSampleRate, b.MaxSampleRate);
    EXPECT_EQ(a.Dolby, b.Dolby);
    EXPECT_EQ(a.DTS, b.DTS);
    EXPECT_EQ(a.EnhancementsBehaviors, b.EnhancementsBehaviors);  // one shared table
}

TEST_F(Catalogue, UnsupportedModelsHaveNoBehaviourTable) {
    for (const wchar_t* id : {L"83141043", L"835E1043"}) {
        EXPECT_FALSE(Model(id).Supported);
        EXPECT_EQ(Model(id).EnhancementsBehaviors, nullptr);
        EXPECT_FALSE(Model(id).Behavior(L"201").has_value());
    }
    EXPECT_EQ(Model(L"83141043").Caption, L"Xonar HDAV1.3");
    EXPECT_EQ(Model(L"835E1043").Caption, L"Xonar 1.3 Slim");
}

TEST_F(Catalogue, CapabilityFieldsOfSeveralGroups) {
    const CardModel& dg = Model(L"84671043");
    EXPECT_EQ(dg.MaxSampleRate, 96000);
    EXPECT_FALSE(dg.Dolby);
    EXPECT_FALSE(dg.DTS);
    const CardModel& ds = Model(L"838E1043");
    EXPECT_FALSE(ds.AEC);
    EXPECT_TRUE(ds.DTS);
    const CardModel& d2 = Model(L"82691043");
    EXPECT_FALSE(d2.FrontPanel);
    EXPECT_TRUE(d2.Dolby && d2.DTS);
}

TEST_F(Catalogue, GainModeCaptions) {
    const CardModel& stx = Model(L"835C1043");
    ASSERT_TRUE(stx.HPAmp);
    EXPECT_EQ(stx.AmpGainModes, 3);
    EXPECT_EQ(stx.AmpGainModeCaption(3, false), L"Extra High Gain (+18db for 300~600 ohms)");
    EXPECT_EQ(stx.AmpGainModeCaption(2, false), L"High Gain (+12dB for 64~300 ohms)");
    EXPECT_EQ(stx.AmpGainModeCaption(1, true), L"Normal Gain");
    EXPECT_FALSE(stx.AmpGainModeCaption(4, false).has_value());

    const CardModel& xense = Model(L"84281043");
    EXPECT_EQ(xense.AmpGainModes, 4);
    EXPECT_EQ(xense.AmpGainModeCaption(4, false), L"Sennheiser PC 350 \"Xense\" Edition");
    EXPECT_EQ(xense.AmpGainModeCaption(4, true), L"Sennheiser");

    const CardModel& dgx = Model(L"85211043");
    EXPECT_EQ(dgx.AmpGainModeCaption(2, false), L"Pro-gaming Mode or for 32~64ohms headsets");
    EXPECT_EQ(dgx.AmpGainModeCaption(3, true), L"Exciter");

    const CardModel& dx = Model(L"82751043");
    EXPECT_FALSE(dx.HPAmp);
    EXPECT_EQ(dx.AmpGainModes, 0);
    EXPECT_FALSE(dx.AmpGainModeCaption(1, false).has_value());
}

TEST_F(Catalogue, BehaviourTablesHoldTheirKeysOnly) {
    const CardModel &a = Model(L"82751043"), &b = Model(L"82691043"), &c = Model(L"84671043"),
                    &d = Model(L"838E1043");
    EXPECT_EQ(a.EnhancementsBehaviors->Count(), 24u);
    EXPECT_EQ(b.EnhancementsBehaviors->Count(), 28u);
    EXPECT_EQ(c.EnhancementsBehaviors->Count(), 20u);
    EXPECT_EQ(d.EnhancementsBehaviors->Count(), 24u);

    EXPECT_EQ(c.Behavior(L"2Dolby"), 0);
    EXPECT_FALSE(c.Behavior(L"207").has_value());
    EXPECT_EQ(d.Behavior(L"6DTS"), 98307);
    EXPECT_FALSE(d.Behavior(L"6Dolby").has_value());
    EXPECT_FALSE(a.Behavior(L"2DTS").has_value());
    EXPECT_EQ(a.Behavior(L"2dolby"), 98331);
    EXPECT_EQ(a.Behavior(L"807"), 98307);
    EXPECT_EQ(a.Behavior(L"407"), 98331);
    EXPECT_EQ(b.Behavior(L"201"), 8402);
    EXPECT_EQ(d.Behavior(L"201"), 0);
    EXPECT_EQ(d.Behavior(L"206"), 110595);
}

TEST_F(Catalogue, EffectFieldsFromMasks) {
    const std::int32_t v = *Model(L"82691043").Behavior(L"201");
    EXPECT_EQ(EffectField(v, L"VSS"), 2);
    EXPECT_EQ(EffectField(v, L"PL2X"), 2);
    EXPECT_EQ(EffectField(v, L"DH"), 3);
    EXPECT_EQ(EffectField(v, L"DVS"), 0);
    EXPECT_EQ(EffectField(v, L"NEO"), 2);
    EXPECT_EQ(EffectField(v, L"SUM"), 0);
    EXPECT_EQ(EffectField(110619, L"sum"), 3);
    EXPECT_EQ(EffectField(1538, L"DVS"), 3);
    EXPECT_FALSE(EffectField(1538, L"XYZ").has_value());
    EXPECT_EQ(*gEnhancementFields.Find(L"NEO"), 0x7000);
}
