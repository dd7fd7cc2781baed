// Reading frames, the portable texts and numbers the end-to-end scenarios do not meet: names of
// dates at the edges, the list and notices in every language, the overall bar's step.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/messages.h"
#include "frames/frame_names.h"
#include "net/transfer_display.h"

namespace {

TEST(FrameNames, LocalNamesAreDateTimeToTheMinuteAndThreeDigitNumber) {
    EXPECT_EQ(LocalFrameName({2026, 1, 9, 0, 0, 59}, 42), u"2026_01_09-00-00~042.png");
    // The widths are least widths: a short year is padded, a long one kept whole.
    EXPECT_EQ(LocalFrameName({999, 1, 2, 3, 4, 5}, 1), u"0999_01_02-03-04~001.png");
    EXPECT_EQ(LocalFrameName({12345, 1, 2, 3, 4, 5}, 100), u"12345_01_02-03-04~100.png");
}

TEST(FrameNames, ListItemsAndNoticesInEveryLanguage) {
    for (int language = 0; language < kLanguageCount; ++language) {
        const char16_t* word = MessageTable[language][kMsgFrame];
        std::vector<std::u16string> items;
        for (int n = 1; n <= kDeviceFrameCount; ++n) items.push_back(FrameItemText(word, n));
        EXPECT_TRUE(std::is_sorted(items.begin(), items.end())) << language;
        EXPECT_EQ(std::u16string(word) + u" 001", items.front());
        EXPECT_EQ(std::u16string(word) + u" 100", items.back());
    }
    // 8 pixels per character of the Turkish "... 100".
    EXPECT_EQ(FrameColumnWidth(MessageTable[2][kMsgFrame]), 120);
    EXPECT_EQ(FrameNoticeText(MessageTable[0][kMsgFrame], 100, MessageTable[0][kMsgLinkNotEstablished]),
              u"Кадр №100 - нет связи");
}

TEST(FrameProgress, OverallStepIsAWholeShareOfTheRange) {
    EXPECT_EQ(OverallProgressStep(3), 33);  // 99 after three frames; the end sets 100
    EXPECT_EQ(OverallProgressStep(0), 0);
}

}  // namespace
