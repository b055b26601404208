#include "IO/IO_BoxListing.h"

#include "System/SAL.h"

#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

const char kTrue[] = "F, rounded inwards, is true on\n";
const char kFalse[] = "F, rounded inwards, is false on\n";
const char kOpen[] = "The truth of F, rounded outwards is unknown on\n";

// A listing with the given box lines under each heading, as brix prints it.
std::string Listing(const std::string& t, const std::string& f, const std::string& o) {
    return std::string("\n") + kTrue + t + "\n" + kFalse + f + "\n" + kOpen + o + "\n" +
           "Relative error: 0.25 (0.5 Eps)  |By| = 1  |Bn| = 2  |Bu| = 1  |By+Bn+Bu| = 4\n\n";
}

TEST(BoxListing, ReadsTheDialogueEchoAndSkipsEverythingElse) {
    const std::string text =
        "Enter a constraint (over DoubleFloat-Interval coefficients):\n"
        "F = x^2 + y^2 <= 1\n"
        "V = Syntax error\n"
        "V = [ x, y ]\r\n"
        "B = Error: Dimension of B is 1 instead of 2!\n"
        "B = [ [ -1.5, 1.5 ], [ -0.000001, 1.000001e+300 ] ]\n"
        "Window: [ [ -1.5, 1.5 ], [ -1.5, 1.5 ] ]\n"
        "Enter ; to close window\n" +
        Listing("[ [ 0, 0.5 ], [ 0, 0.866025 ] ]\r\n[ [ -0.5, 0 ], [ 1.110223e-016, 1e+300 ] ]\n",
                "[ [ 1.000001, 1.5 ], [ -1, 1 ] ]\n",
                "[ [ 0.5, 1.000001 ], [ 0, 0.866026 ] ] [ [ 0 ], [  ] ]\n") +
        "F is true on 2 boxes of volume 1\nLabel: `BRIX-Total'\n  Total: 0.000100\n";
    IO_BoxListing listing;
    std::string error;
    ASSERT_TRUE(IO_ParseBoxListing(text, listing, error)) << error;
    ASSERT_EQ(listing.trueBoxes.size(), 2u);
    ASSERT_EQ(listing.falseBoxes.size(), 1u);
    ASSERT_EQ(listing.openBoxes.size(), 1u);
    EXPECT_EQ(listing.trueBoxes[0][1].hi, 0x1.bb67a0f9096bcp-1);   // 0.866025
    EXPECT_EQ(listing.trueBoxes[1][1].lo, 0x1.ffffff4178da3p-54);  // 1.110223e-016
    EXPECT_EQ(listing.trueBoxes[1][1].hi, 1e300);
    EXPECT_EQ(listing.openBoxes[0][0].hi, 0x1.000010c6f7a0bp+0);  // 1.000001
    EXPECT_TRUE(listing.hasNames);
    EXPECT_EQ(listing.names, (std::vector<std::string>{"x", "y"}));
    ASSERT_TRUE(listing.hasBox);
    ASSERT_EQ(listing.box.size(), 2u);
    EXPECT_EQ(listing.box[1].lo, -0x1.0c6f7a0b5ed8dp-20);  // -0.000001
    EXPECT_EQ(listing.box[1].hi, 0x1.7e43e18d5e123p+996);  // 1.000001e+300
    // The hull spans every box: x from -0.5 to 1.5, y from -1 to 1e300.
    ASSERT_EQ(listing.Dimension(), 2u);
    EXPECT_EQ(listing.hull[0].lo, -0.5);
    EXPECT_EQ(listing.hull[0].hi, 1.5);
    EXPECT_EQ(listing.hull[1].lo, -1.0);
    EXPECT_EQ(listing.hull[1].hi, 1e300);
    EXPECT_EQ(listing.thinBoxes, 0u);
}

TEST(BoxListing, PartialAndEmptySectionsAndNoEcho) {
    // A listing cut after its first section still holds boxes; without echo
    // lines there are no names and no B.
    IO_BoxListing listing;
    std::string error;
    ASSERT_TRUE(IO_ParseBoxListing(std::string(kTrue) + "[ [ 0, 1 ] ]", listing, error));
    EXPECT_EQ(listing.trueBoxes.size(), 1u);
    EXPECT_FALSE(listing.hasNames);
    EXPECT_FALSE(listing.hasBox);
    ASSERT_TRUE(
        IO_ParseBoxListing(Listing("", "", "[ [ 2, 3 ] ] [ [  ], [  ] ]\n"), listing, error));
    EXPECT_TRUE(listing.trueBoxes.empty());
    EXPECT_EQ(listing.openBoxes.size(), 1u);
}

// Inward rounding of a proved box narrower than the sixth printed digit
// crosses its bounds; brix prints such boxes, so they are dropped, not refused.
TEST(BoxListing, ProvedBoxesCrossedByInwardRoundingAreDropped) {
    IO_BoxListing listing;
    std::string error;
    ASSERT_TRUE(IO_ParseBoxListing(
        Listing("[ [ 1.000001, 1 ] ]\n[ [ 0, 1 ] ]\n", "[ [ 2e+300, 1.999999e+300 ] ]\n", ""),
        listing, error))
        << error;
    EXPECT_EQ(listing.trueBoxes.size(), 1u);
    EXPECT_TRUE(listing.falseBoxes.empty());
    EXPECT_EQ(listing.thinBoxes, 2u);
    EXPECT_EQ(listing.hull[0].hi, 2e300);  // dropped boxes still count for the hull
}

TEST(BoxListing, NumbersAreReadNearestWhateverTheModeLeft) {
    SAL_Interface::SetRounding(SAL_RoundUp);
    IO_BoxListing listing;
    std::string error;
    ASSERT_TRUE(IO_ParseBoxListing(Listing("[ [ -0.1, 0.1 ] ]\n", "", ""), listing, error));
    EXPECT_EQ(listing.trueBoxes[0][0].lo, -0x1.999999999999ap-4);
    EXPECT_EQ(listing.trueBoxes[0][0].hi, 0x1.999999999999ap-4);
}

// Further refusals (no boxes, NaN and overflowing bounds, an upside-down
// interval, mixed dimensions) are golden cases in tests/cli/plot.
TEST(BoxListing, RefusesBadInputWithOneLineAndLeavesTheListing) {
    struct Case {
        std::string text;
        const char* error;
    };
    const std::string box2 = "[ [ 0, 1 ], [ 0, 1 ] ]\n";
    const Case cases[] = {
        {"", "no box listing found in the input (brix -ob prints one)"},
        {"garbage\n[ [ 0, 1 ] ]\n\x01\xff",
         "no box listing found in the input (brix -ob prints one)"},
        {Listing("[ [ -inf, 0 ] ]\n", "", ""), "line 3: bound is not a finite number: \"-inf\""},
        {Listing("[ [ 0, Infinity ] ]\n", "", ""), "line 3: bound is not a finite number"},
        {Listing("[ [ 0, 1x ] ]\n", "", ""), "line 3: not a number: \"1x\""},
        // Open boxes are rounded outwards: crossed bounds are never rounding.
        {Listing("", "", "[ [ 1.000001, 1 ] ] [ [  ], [  ] ]\n"), "line 7: upside-down interval"},
        {Listing("[ [ 0, 1 ], [  ] ]\n", "", ""), "line 3: empty interval in a box"},
        {Listing("[  ]\n", "", ""), "line 3: not a box: \"[  ]\""},
        {Listing("[ [ 0, 1 ]\n", "", ""), "line 3: not a box: \"[ [ 0, 1 ]\""},
        {Listing("Relative error: 0\n", "", ""), "line 3: not a box: \"Relative error: 0\""},
        {Listing(std::string("[ [ 0,\0 1 ] ]\n", 14), "", ""), "line 3: not a number: \"?\""},
        {Listing(box2, "", "") + kTrue, "line 11: repeated heading"},
        {"B = [ [ 0, 1 ] ]\n" + Listing(box2, "", ""),
         "B has dimension 1 but the boxes have dimension 2"},
        {"B = [ [ 1, 0 ] ]\n" + Listing(box2, "", ""), "line 1: upside-down interval [ 1, 0 ]"},
        {"V = [ x, ]\n" + Listing(box2, "", ""), "line 1: malformed variable list"},
    };
    for (const Case& c : cases) {
        IO_BoxListing listing;
        listing.names = {"kept"};
        std::string error;
        EXPECT_FALSE(IO_ParseBoxListing(c.text, listing, error)) << c.text;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error << "\nexpected: " << c.error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_EQ(listing.names, std::vector<std::string>{"kept"});
    }
}

// Any bytes are read without a crash (the sanitizer build watches), and every
// refusal is one line.
TEST(BoxListing, SurvivesMutatedListings) {
    const std::string base =
        "V = [ x, y ]\nB = [ [ -1.5, 1.5 ], [ -1.5, 1.5 ] ]\n" +
        Listing("[ [ 0, 0.5 ], [ 0, 0.866025 ] ]\n", "[ [ -1.5, 1.5 ], [ 1.000001, 1.5 ] ]\n",
                "[ [ 0.5, 1.000001 ], [ 0, 0.866026 ] ] [ [  ], [  ] ]\n");
    const char alphabet[] = "[],. -+0123456789eEinfaVB=\n\r\t\0\xff";
    std::mt19937 random(12345);
    int accepted = 0;
    for (int n = 0; n < 3000; ++n) {
        std::string text = base;
        for (int k = 1 + static_cast<int>(random() % 4); k > 0; --k) {
            const std::size_t at = random() % text.size();
            const char c = alphabet[random() % (sizeof alphabet - 1)];
            switch (random() % 3) {
                case 0:
                    text[at] = c;
                    break;
                case 1:
                    text.insert(at, 1, c);
                    break;
                default:
                    text.erase(at, 1 + random() % 8);
            }
        }
        IO_BoxListing listing;
        std::string error;
        if (IO_ParseBoxListing(text, listing, error)) {
            ++accepted;
            EXPECT_GE(listing.Dimension(), 1u);
        } else {
            EXPECT_FALSE(error.empty());
            EXPECT_EQ(error.find('\n'), std::string::npos);
        }
    }
    EXPECT_GT(accepted, 0);
}

}  // namespace
