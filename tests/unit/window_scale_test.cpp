// The main window at a screen's scale: the scale a monitor gives, where the window goes, and its
// layout at the scale: the same as at 96 dpi at scale 1, whole at every other.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/messages.h"
#include "mainwnd/window_scale.h"

namespace {

std::vector<int> Edges(const FieldRect& r) { return {r.left, r.top, r.right, r.bottom}; }
std::vector<int> Edges(const ScreenArea& r) { return {r.left, r.top, r.right, r.bottom}; }

TEST(WindowScale, TheMonitorsDpiMadeSmallerToFitItsWorkArea) {
    EXPECT_DOUBLE_EQ(MainWindowScale(96, {0, 0, 1920, 1080}), 1.0);
    EXPECT_DOUBLE_EQ(MainWindowScale(144, {0, 0, 2560, 1440}), 1.5);
    EXPECT_DOUBLE_EQ(MainWindowScale(144, {0, 0, 1920, 1080}), 1080 / 760.0);  // the height holds it back
    EXPECT_DOUBLE_EQ(MainWindowScale(192, {0, 0, 1920, 1600}), 1920 / 1024.0);  // the width does
    EXPECT_DOUBLE_EQ(MainWindowScale(96, {0, 0, 1280, 720}), 720 / 760.0);
    // A task bar on the left: the work area's own width counts, not where it starts.
    EXPECT_DOUBLE_EQ(MainWindowScale(120, {300, 0, 1580, 1024}), 1.25);
    // Never below 0.75, however small the screen; no dpi reads as 96.
    EXPECT_DOUBLE_EQ(MainWindowScale(96, {0, 0, 640, 480}), 0.75);
    EXPECT_DOUBLE_EQ(MainWindowScale(0, {0, 0, 1920, 1080}), 1.0);
}

TEST(WindowScale, TheWindowStandsAtTheWorkAreasTopLeft) {
    EXPECT_EQ(Edges(MainWindowPlace({0, 0, 1280, 1024}, 1.0)), (std::vector<int>{0, 0, 1024, 760}));
    EXPECT_EQ(Edges(MainWindowPlace({0, 40, 2560, 1440}, 1.5)), (std::vector<int>{0, 40, 1536, 1180}));
    // 1280 x 720 at 96 dpi: 970 x 720, the height exactly the work area's.
    EXPECT_EQ(Edges(MainWindowPlace({0, 0, 1280, 720}, 720 / 760.0)), (std::vector<int>{0, 0, 970, 720}));
    // Too small even at 0.75: left larger than the screen, from its top-left corner.
    EXPECT_EQ(Edges(MainWindowPlace({10, 20, 650, 500}, 0.75)), (std::vector<int>{10, 20, 778, 590}));
}

TEST(WindowScale, AtScaleOneEverythingIsThe96DpiLayout) {
    const auto fields = ComputeFieldRects(MessageTable[1]);
    const auto labels = ComputeLabelPlaces(MessageTable[1]);
    const auto scaledFields = ScaledFieldRects(fields, 1.0);
    const auto scaledLabels = ScaledLabelPlaces(labels, 1.0);
    for (int i = 0; i < kFieldCount; ++i) EXPECT_EQ(Edges(scaledFields[i]), Edges(fields[i])) << i;
    for (int i = 0; i < kLabelCount; ++i) EXPECT_EQ(scaledLabels[i].width, labels[i].width) << i;
    EXPECT_EQ(Edges(PictureRectAt(1.0)), (std::vector<int>{5, 30, 522, 452}));
    const WindowFonts f = FontsAt(1.0);
    EXPECT_EQ((std::vector<int>{f.regular.height, f.regular.width, f.bold.height, f.system.height, f.system.width}),
              (std::vector<int>{16, 8, 18, 16, 7}));
    // A client area of 1018 x 716, as Wine makes that of a 1024 x 760 window.
    const TopRow row = TopRowAt(1018, 1.0);
    EXPECT_EQ((std::vector<int>{row.prevLeft, row.nextLeft, row.scrollBarLeft, row.top, row.labelHeight}),
              (std::vector<int>{898, 978, 940, 5, 16}));
    EXPECT_EQ(Edges(StatusStripAt(716, 1.0)), (std::vector<int>{5, 696, 305, 716}));
    EXPECT_EQ(Edges(MessageWindowAt(1018, 716, 1.0)), (std::vector<int>{289, 278, 729, 438}));
    EXPECT_EQ(MessageLinesAt(1.0)[1].y, 46);
}

TEST(WindowScale, EdgesScaleAndRoundToTheNearestPixel) {
    const auto fields = ScaledFieldRects(ComputeFieldRects(MessageTable[1]), 1.5);
    EXPECT_EQ(Edges(fields[0]), (std::vector<int>{225, 720, 837, 750}));
    EXPECT_EQ(Edges(fields[3]), (std::vector<int>{372, 855, 504, 885}));   // 248 .. 336 at 96 dpi
    EXPECT_EQ(Edges(PictureRectAt(1.5)), (std::vector<int>{8, 45, 783, 678}));  // 7.5 rounds up
    EXPECT_EQ(Edges(MessageWindowAt(1527, 1074, 1.5)), (std::vector<int>{433, 417, 1093, 657}));
    EXPECT_EQ(Edges(StatusStripAt(1074, 1.5)), (std::vector<int>{8, 1044, 458, 1074}));
    const WindowFonts fonts = FontsAt(1.421);
    // 16 and 18 high rounded; 8 wide never rounded up (11.4 is 11).
    EXPECT_EQ((std::vector<int>{fonts.regular.height, fonts.regular.width, fonts.bold.height}),
              (std::vector<int>{23, 11, 26}));
}

// A field holds its longest text (a line of a multi-line one) in the font at the scale, inside
// its margins and one-pixel border, at every scale where it does at 96 dpi.
TEST(WindowScale, EveryFieldHoldsItsLongestTextAtEveryScale) {
    const auto fields = ComputeFieldRects(MessageTable[0]);
    for (int step = 0; step <= 225; ++step) {
        const double scale = 0.75 + step / 100.0;
        const auto scaled = ScaledFieldRects(fields, scale);
        const int charWidth = FontsAt(scale).regular.width;
        for (int i = 0; i < kFieldCount; ++i) {
            const int multiLine = i == 4 || i == 10 || i == 11;
            const int characters = kCommentaryFields[i].maxLength / (multiLine ? 3 : 1);
            if (fields[i].right - fields[i].left < 8 * characters + 2 * 2 + 2) continue;  // not at 96 dpi either
            EXPECT_LE(characters * charWidth + 2 * FieldMarginAt(scale) + 2, scaled[i].right - scaled[i].left)
                << "field " << i << " at scale " << scale;
        }
        // And a label its text.
        EXPECT_GE(LabelWidthAt(29, scale), 29 * charWidth) << scale;
    }
}

}  // namespace
