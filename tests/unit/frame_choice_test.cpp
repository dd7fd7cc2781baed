// Finding a frame chosen in the open-file dialog in the frame list, and where the frame view's
// labels stand.
#include <gtest/gtest.h>

#include "core/messages.h"
#include "frames/frame_choice.h"
#include "mainwnd/field_layout.h"

namespace {

const std::vector<std::u16string> kNames = {u"2026_12_08-10-00~001.png", u"Frame.png", u"frame.png",
                                            u"\u0424rame.png"};

TEST(FrameChoice, ViewComparesNamesExactlyAndEditIgnoresOnlyTheCaseOfAToZ) {
    EXPECT_EQ(FindFrameName(kNames, u"frame.png", NameComparison::Exact), 2);
    EXPECT_EQ(FindFrameName(kNames, u"Frame.png", NameComparison::Exact), 1);
    EXPECT_EQ(FindFrameName(kNames, u"FRAME.png", NameComparison::Exact), -1);
    EXPECT_EQ(FindFrameName(kNames, u"FRAME.PNG", NameComparison::IgnoreCaseAToZ), 1);
    // Ф and ф are not A to Z: they must match as they are.
    EXPECT_EQ(FindFrameName(kNames, u"\u0444rame.png", NameComparison::IgnoreCaseAToZ), -1);
    EXPECT_EQ(FindFrameName(kNames, u"\u0424RAME.png", NameComparison::IgnoreCaseAToZ), 3);
    EXPECT_EQ(FolderOf(u"Z:\\work\\FRAMES\\frame.png"), u"Z:\\work\\FRAMES\\");
    EXPECT_EQ(FolderOf(u"frame.png"), u"");
}

TEST(LabelPlaces, TheTurkishMillimetreLabelAndTheBoldOnes) {
    // The end-to-end scenarios measure the English and Russian labels on screen.
    EXPECT_EQ(ComputeLabelPlaces(MessageTable[2])[4].left, 9 * 30 + 115);
    int bold = 0;
    for (const LabelPlace& p : ComputeLabelPlaces(MessageTable[1])) bold += p.bold;
    EXPECT_EQ(bold, 3);
}

}  // namespace
