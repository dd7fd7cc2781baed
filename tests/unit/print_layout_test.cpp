// The printed page of a frame: where the heading, the labels, the boxes and the picture stand at
// 600 and 300 dots per inch, and that nothing leaves a landscape A4 page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/messages.h"
#include "frames/print_layout.h"

// Found by argument lookup, so beside PageBox.
inline bool operator==(const PageBox& a, const PageBox& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& out, const PageBox& b) {
    return out << "{" << b.left << ", " << b.top << ", " << b.right << ", " << b.bottom << "}";
}

namespace {

constexpr int kRussian = 0, kEnglish = 1, kTurkish = 2;

PageLayout Page(int dpiX, int dpiY, int language) {
    return LayOutPrintedPage(dpiX, dpiY, MessageTable[language], ComputeFieldRects(MessageTable[language]));
}

int Length(const char16_t* text) { return static_cast<int>(std::char_traits<char16_t>::length(text)); }

// A landscape A4 sheet as a PostScript printer gives it: 842 x 595 points.
PageBox Sheet(int dpi) { return {0, 0, 842 * dpi / 72, 595 * dpi / 72}; }

// What a line of `length` characters covers from `at`: the font's width per character, and a
// line a fifth higher than the characters.
PageBox TextCell(const PageLayout& page, PagePoint at, int length) {
    return {at.x, at.y, at.x + length * page.fontWidth, at.y - page.fontHeight * 6 / 5};
}

bool Inside(const PageBox& inner, const PageBox& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(const PageBox& a, const PageBox& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(PrintLayout, At600DotsPerInchThePageStandsAsDrawnForSuchAPrinter) {
    PageLayout page = Page(600, 600, kEnglish);
    EXPECT_EQ(page.heading.x, 30);
    EXPECT_EQ(page.heading.y, 30);

    const int entries[kPrintedLabelCount] = {5, 6, 7, 8, 10, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21};
    const PagePoint places[kPrintedLabelCount] = {
        {30, 2880},   {30, 3060},   {30, 3240},   {30, 3420},   {54 * 27 + 690, 3420}, {30, 3600},
        {3840, 180},  {3600, 360},  {3600, 540},  {3600, 720},  {3600, 900},           {3600, 1080},
        {3600, 1260}, {3840, 1740}, {3600, 1920}, {3600, 2640}, {3840, 3780}};
    for (int i = 0; i < kPrintedLabelCount; ++i) {
        EXPECT_EQ(page.labels[i].entry, entries[i]) << i;
        EXPECT_EQ(page.labels[i].at.x, places[i].x) << "label " << entries[i];
        EXPECT_EQ(page.labels[i].at.y, places[i].y) << "label " << entries[i];
    }

    // The boxes are the fields' client rectangles times 6.
    EXPECT_EQ(page.boxes[0], (PageBox{900, 2880, 3348, 3000}));
    EXPECT_EQ(page.boxes[3], (PageBox{1488, 3420, 2016, 3540}));
    EXPECT_EQ(page.boxes[4], (PageBox{900, 3600, 3348, 3924}));
    EXPECT_EQ(page.boxes[6], (PageBox{4140, 720, 5328, 840}));
    EXPECT_EQ(page.boxes[11], (PageBox{3600, 2820, 5328, 3144}));

    // Texts 6 dots inside; the coordinates right-aligned by 54 dots a character.
    EXPECT_EQ(FieldTextOrigin(page, 0, 12).x, 906);
    EXPECT_EQ(FieldTextOrigin(page, 0, 12).y, 2886);
    EXPECT_EQ(FieldTextOrigin(page, 3, 4).x, 2016 - 4 * 54 + 6);
    EXPECT_EQ(FieldTextOrigin(page, 3, 4).y, 3426);
    // Ten characters, the most the field takes, start left of the box.
    EXPECT_LT(FieldTextOrigin(page, 3, 10).x, page.boxes[3].left);

    // About 10 points high (83 dots of 600 to the inch), 0.08 inch wide as the fields allow.
    EXPECT_EQ(page.fontHeight, -83);
    EXPECT_EQ(page.fontWidth, 48);
}

TEST(PrintLayout, At300DotsPerInchEveryPositionIsHalved) {
    for (int language : {kRussian, kEnglish, kTurkish}) {
        PageLayout full = Page(600, 600, language), half = Page(300, 300, language);
        SCOPED_TRACE(language);
        EXPECT_EQ(half.heading.x, 15);
        EXPECT_EQ(half.heading.y, 15);
        for (int i = 0; i < kPrintedLabelCount; ++i) {
            EXPECT_EQ(half.labels[i].entry, full.labels[i].entry);
            EXPECT_EQ(half.labels[i].at.x, full.labels[i].at.x / 2) << "label " << full.labels[i].entry;
            EXPECT_EQ(half.labels[i].at.y, full.labels[i].at.y / 2) << "label " << full.labels[i].entry;
        }
        for (int i = 0; i < kFieldCount; ++i) {
            const PageBox& f = full.boxes[i];
            EXPECT_EQ(half.boxes[i], (PageBox{f.left / 2, f.top / 2, f.right / 2, f.bottom / 2})) << "field " << i;
        }
        // The character estimate of the coordinates is halved too.
        EXPECT_EQ(FieldTextOrigin(half, 3, 4).x, half.boxes[3].right - 4 * 27 + 3);
        EXPECT_EQ(FieldTextOrigin(half, 5, 4).x, half.boxes[5].left + 3);
        EXPECT_EQ(half.fontHeight, -42);
        EXPECT_EQ(half.fontWidth, 24);
    }
}

TEST(PrintLayout, EachAxisFollowsItsOwnResolution) {
    PageLayout page = Page(360, 180, kEnglish);
    // 0.6 across and 0.3 down, rounded to the nearest dot.
    EXPECT_EQ(page.boxes[0], (PageBox{540, 864, 2009, 900}));
    EXPECT_EQ(page.labels[6].at.x, 2304);
    EXPECT_EQ(page.labels[6].at.y, 54);
    EXPECT_EQ(page.fontHeight, -25);
    EXPECT_EQ(page.fontWidth, 29);
}

TEST(PrintLayout, MillimetresFollowTheLengthOfTheCoordinatesLabel) {
    // "Координаты дефекта (глубина):" is 29 characters, the English one 27.
    ASSERT_EQ(Length(MessageTable[kRussian][8]) - Length(MessageTable[kEnglish][8]), 2);
    for (int dpi : {300, 600}) {
        int russian = Page(dpi, dpi, kRussian).labels[4].at.x, english = Page(dpi, dpi, kEnglish).labels[4].at.x;
        EXPECT_EQ(russian - english, 2 * 54 * dpi / 600) << dpi;
    }
}

// At either resolution and in every language: every text, box and the picture of a detector
// frame on the sheet, the texts clear of the boxes, the picture clear of both.
TEST(PrintLayout, NothingLeavesTheSheetAndNothingCoversAnything) {
    for (int dpi : {300, 600}) {
        for (int language : {kRussian, kEnglish, kTurkish}) {
            SCOPED_TRACE(::testing::Message() << dpi << " dpi, language " << language);
            PageLayout page = Page(dpi, dpi, language);
            const PageBox sheet = Sheet(dpi);
            const char16_t* const* texts = MessageTable[language];

            std::vector<PageBox> labels;
            for (const PageLabel& label : page.labels) {
                labels.push_back(TextCell(page, label.at, Length(texts[label.entry])));
                EXPECT_TRUE(Inside(labels.back(), sheet)) << "label " << label.entry << " " << labels.back();
            }
            for (int i = 0; i < kFieldCount; ++i) {
                const PageBox& box = page.boxes[i];
                EXPECT_TRUE(Inside(box, sheet)) << "field " << i << " " << box;
                for (size_t l = 0; l < labels.size(); ++l)
                    EXPECT_FALSE(Overlap(labels[l], box)) << "label " << page.labels[l].entry << " on field " << i;

                // The longest text a field takes stays on the sheet and ends inside its box.
                const int most = kCommentaryFields[i].maxLength;
                if (FieldWraps(i)) {
                    PageBox text = WrappedTextBox(page, i);
                    EXPECT_TRUE(Inside(text, box));
                    // Three lines, as on screen.
                    EXPECT_GE((text.right - text.left) / page.fontWidth * 3, most) << "field " << i;
                    EXPECT_GE(text.bottom - text.top, -page.fontHeight * 6 / 5 * 3) << "field " << i;
                } else {
                    PageBox text = TextCell(page, FieldTextOrigin(page, i, most), most);
                    EXPECT_TRUE(Inside(text, sheet)) << "field " << i << " " << text;
                    EXPECT_LE(text.bottom, box.bottom) << "field " << i;
                    // Unless the field is narrower than its text on screen too (the right-hand
                    // ones end at 888 pixels).
                    const FieldRect screen = ComputeFieldRects(texts)[i];
                    if (screen.right - screen.left >= 8 * most + 8) {
                        EXPECT_LE(text.right, box.right) << "field " << i;
                    }
                }
            }

            PicturePlacement picture = PlacePicture(640.0f, 480.0f);
            ASSERT_TRUE(picture.printed);
            PageBox dots = HundredthsToDots(page, picture.destination);
            EXPECT_TRUE(Inside(dots, sheet)) << dots;
            EXPECT_LT(dots.bottom, page.labels[0].at.y);
            for (const PageBox& box : page.boxes) EXPECT_FALSE(Overlap(dots, box)) << box;
            for (const PageBox& label : labels) EXPECT_FALSE(Overlap(dots, label)) << label;
            // The heading stands above it.
            EXPECT_LT(page.heading.y, dots.top);
        }
    }
}

TEST(PrintLayout, ThePictureIsCroppedAsOnScreenAndPlacedInHundredthsOfAnInch) {
    PicturePlacement picture = PlacePicture(640.0f, 480.0f);
    EXPECT_TRUE(picture.printed);
    EXPECT_FLOAT_EQ(picture.source.x, 139.0f);
    EXPECT_FLOAT_EQ(picture.source.y, 0.0f);
    EXPECT_FLOAT_EQ(picture.source.width, 501.0f);
    EXPECT_FLOAT_EQ(picture.source.height, 411.0f);
    EXPECT_FLOAT_EQ(picture.destination.x, 5.0f);
    EXPECT_FLOAT_EQ(picture.destination.y, 20.0f);
    EXPECT_FLOAT_EQ(picture.destination.width, 506.0f);  // 5.06 x 4.11 inches
    EXPECT_FLOAT_EQ(picture.destination.height, 411.0f);
    EXPECT_EQ(HundredthsToDots(Page(300, 300, kEnglish), picture.destination), (PageBox{15, 60, 1533, 1293}));
    EXPECT_EQ(HundredthsToDots(Page(600, 600, kEnglish), picture.destination), (PageBox{30, 120, 3066, 2586}));
}

TEST(PrintLayout, AFrameTooSmallForTheCropOrUnreadablePrintsNoPicture) {
    EXPECT_FALSE(PlacePicture(0.0f, 0.0f).printed);      // could not be read
    EXPECT_FALSE(PlacePicture(139.0f, 480.0f).printed);  // nothing left of the crop
    EXPECT_FALSE(PlacePicture(640.0f, 69.0f).printed);
    EXPECT_TRUE(PlacePicture(140.0f, 70.0f).printed);    // one pixel is a picture
}

}  // namespace
