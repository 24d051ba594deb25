// The parts of the card's values that the user changes one at a time, and their merge onto the
// card's value.
#include <gtest/gtest.h>

#include "editor/portable/profilebytes.h"
#include "editor/portable/valueparts.h"

using namespace kal;

namespace {

// Each part of a value moves only what it stands for: ProLogic IIx's width leaves its depth and
// mode, NEO:PC's depth its width, a band its neighbours, a size the other boxes, a speaker the
// others; the parts of a value cover it without overlap where the value has parts.
TEST(ValueParts, EachPartMovesOnlyWhatItStandsFor) {
    const struct {
        const wchar_t* name;
        Bytes card, shown;
        std::size_t part;
        Bytes merged;
    } cases[] = {
        {L"Pl2xParam", EncodePl2xParam(true, false, 3, 5, false), EncodePl2xParam(true, false, 6, 2, false),
         static_cast<std::size_t>(GraphPart::Width), EncodePl2xParam(true, false, 6, 5, false)},
        {L"Pl2xParam", EncodePl2xParam(true, false, 3, 5, false), EncodePl2xParam(true, true, 3, 5, false),
         static_cast<std::size_t>(GraphPart::Mode), Bytes{}},
        {L"NeoParam", EncodeNeoParam(true, false, 3, 5), EncodeNeoParam(false, false, 6, 2),
         static_cast<std::size_t>(GraphPart::Depth), EncodeNeoParam(true, false, 3, 2)},
        {L"NeoParam", EncodeNeoParam(true, false, 3, 5), EncodeNeoParam(false, false, 6, 2),
         static_cast<std::size_t>(GraphPart::Switch), EncodeNeoParam(false, false, 3, 5)},
        {L"EqGain", EncodeEqGain({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), EncodeEqGain({}), 4,
         EncodeEqGain({1, 2, 3, 4, 0, 6, 7, 8, 9, 10})},
        {L"SpeakerSize", EncodeSpeakerSize({true, false, true, false}), EncodeSpeakerSize({false, true, false, true}), 2,
         EncodeSpeakerSize({true, false, false, false})},
        {L"VSpeakerPos", Bytes(128, 1), Bytes(128, 2), 5, [] {
             Bytes b(128, 1);
             std::fill(b.begin() + 80, b.begin() + 96, 2);
             return b;
         }()},
        {L"DHRoom", EncodeCode(1), EncodeCode(3), 0, EncodeCode(3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + wcslen(c.name)) + " part " + std::to_string(c.part));
        const std::vector<Bytes> parts = ValueParts(c.name, c.shown.size());
        ASSERT_LT(c.part, parts.size());
        const Bytes merged = MergeParts(c.card, c.shown, parts[c.part]);
        if (c.merged.empty()) {
            // The mode carries the movie marks: it alone turns Music into Movie.
            EXPECT_TRUE(DecodePl2xParam(merged).movie);
            EXPECT_EQ(DecodePl2xParam(merged).width, 3);
        } else {
            EXPECT_EQ(merged, c.merged);
        }
        Bytes covered(c.shown.size(), 0);
        for (const Bytes& part : parts) {
            for (std::size_t i = 0; i < part.size(); ++i) {
                EXPECT_EQ(covered[i] & part[i], 0) << "overlap at byte " << i;
                covered[i] |= part[i];
            }
        }
        EXPECT_TRUE(AnyBit(covered));
    }
    // A value of another size than the card's goes whole.
    EXPECT_EQ(MergeParts(Bytes{1}, Bytes{2, 3}, Bytes{0, 0}), (Bytes{2, 3}));
}

}  // namespace
