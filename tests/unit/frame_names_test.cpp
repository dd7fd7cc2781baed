// Reading frames, the portable texts: names on the detector and on disk, the number list's
// items and column width, the progress texts, the progress controls' places and steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/messages.h"
#include "frames/frame_names.h"

namespace {

TEST(FrameNames, RemoteNamesCarryTheNumberWithoutZeros) {
    EXPECT_EQ(RemoteFrameName(1), "/screenshots/1.png");
    EXPECT_EQ(RemoteFrameName(7), "/screenshots/7.png");
    EXPECT_EQ(RemoteFrameName(100), "/screenshots/100.png");
}

TEST(FrameNames, LocalNamesAreDateTimeToTheMinuteAndThreeDigitNumber) {
    EXPECT_EQ(LocalFrameName({2010, 3, 3, 14, 5, 59}, 7), u"2010_03_03-14-05~007.png");
    EXPECT_EQ(LocalFrameName({2026, 12, 31, 23, 59, 0}, 100), u"2026_12_31-23-59~100.png");
    EXPECT_EQ(LocalFrameName({2026, 1, 9, 0, 0, 0}, 42), u"2026_01_09-00-00~042.png");
    // The widths are least widths: a short year is padded, a long one kept whole.
    EXPECT_EQ(LocalFrameName({999, 1, 2, 3, 4, 5}, 1), u"0999_01_02-03-04~001.png");
    EXPECT_EQ(LocalFrameName({12345, 1, 2, 3, 4, 5}, 1), u"12345_01_02-03-04~001.png");
    // Within a minute the names sort by frame number, across minutes by time.
    std::vector<std::u16string> names = {LocalFrameName({2026, 5, 1, 10, 0, 0}, 12),
                                         LocalFrameName({2026, 5, 1, 9, 59, 0}, 100),
                                         LocalFrameName({2026, 5, 1, 10, 0, 0}, 3)};
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"2026_05_01-09-59~100.png", u"2026_05_01-10-00~003.png",
                                                  u"2026_05_01-10-00~012.png"}));
}

TEST(FrameNames, ListItemsInEveryLanguageKeepNumberOrderWhenSorted) {
    for (int language = 0; language < kLanguageCount; ++language) {
        const char16_t* word = MessageTable[language][kMsgFrame];
        std::vector<std::u16string> items;
        for (int n = 1; n <= kDeviceFrameCount; ++n) items.push_back(FrameItemText(word, n));
        EXPECT_TRUE(std::is_sorted(items.begin(), items.end())) << language;
        EXPECT_EQ(std::u16string(word) + u" 001", items.front());
        EXPECT_EQ(std::u16string(word) + u" 100", items.back());
    }
    EXPECT_EQ(FrameItemText(MessageTable[1][kMsgFrame], 7), u"Frame 007");
    EXPECT_EQ(FrameItemText(MessageTable[0][kMsgFrame], 42), u"Кадр 042");
    // 8 pixels per character of "Frame 100", and 16.
    EXPECT_EQ(FrameColumnWidth(MessageTable[1][kMsgFrame]), 88);
    EXPECT_EQ(FrameColumnWidth(MessageTable[0][kMsgFrame]), 80);
    EXPECT_EQ(FrameColumnWidth(MessageTable[2][kMsgFrame]), 120);
}

TEST(FrameNames, ProgressTextsUseTheNumeroSign) {
    EXPECT_EQ(FrameProgressText(u"Frame", 7), u"Frame \u21167");
    EXPECT_EQ(FrameNoticeText(u"Frame", 7, MessageTable[1][kMsgNo]), u"Frame \u21167 - no");
    EXPECT_EQ(FrameNoticeText(MessageTable[0][kMsgFrame], 100, MessageTable[0][kMsgLinkNotEstablished]),
              u"Кадр №100 - нет связи");
}

TEST(FrameProgress, ControlsStandAroundTheMiddleOfTheClientArea) {
    // Odd sizes: the halves are rounded toward zero.
    FrameProgressLayout l = LayOutFrameProgress(537, 451);
    EXPECT_EQ((std::vector<int>{l.text.left, l.text.top, l.text.right, l.text.bottom}),
              (std::vector<int>{236, 155, 396, 171}));
    EXPECT_EQ((std::vector<int>{l.overall.left, l.overall.top, l.overall.right, l.overall.bottom}),
              (std::vector<int>{15, 185, 522, 225}));
    EXPECT_EQ((std::vector<int>{l.file.left, l.file.top, l.file.right, l.file.bottom}),
              (std::vector<int>{15, 245, 522, 285}));
}

TEST(FrameProgress, OverallStepIsAWholeShareOfTheRange) {
    EXPECT_EQ(OverallProgressStep(1), 100);
    EXPECT_EQ(OverallProgressStep(3), 33);  // 99 after three frames; the end sets 100
    EXPECT_EQ(OverallProgressStep(7), 14);
    EXPECT_EQ(OverallProgressStep(100), 1);
    EXPECT_EQ(OverallProgressStep(0), 0);
}

}  // namespace
