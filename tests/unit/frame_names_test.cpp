// Reading frames, the portable texts and numbers the end-to-end scenarios do not meet: names of
// dates at the edges, the list and notices in every language, the overall bar's step.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "core/messages.h"
#include "frames/frame_names.h"
#include "net/transfer_display.h"
#include "sys/sys.h"

namespace {

TEST(FrameNames, LocalNamesAreDateTimeToTheMinuteAndThreeDigitNumber) {
    EXPECT_EQ(LocalFrameName({2026, 1, 9, 0, 0, 59}, 42), u"2026_01_09-00-00~042.png");
    // The widths are least widths: a short year is padded, a long one kept whole.
    EXPECT_EQ(LocalFrameName({999, 1, 2, 3, 4, 5}, 1), u"0999_01_02-03-04~001.png");
    EXPECT_EQ(LocalFrameName({12345, 1, 2, 3, 4, 5}, 100), u"12345_01_02-03-04~100.png");
}

TEST(FrameNames, ANameAndItsCopiesSayTheFrameTheTimeAndTheCopy) {
    const std::u16string name = LocalFrameName({2026, 1, 9, 23, 5, 41}, 7);
    EXPECT_EQ(FrameCopyName(name, 1), name);
    EXPECT_EQ(FrameCopyName(name, 13), u"2026_01_09-23-05~007 (13).png");
    // {frame, copy, year, month, day, hour, minute, second} each name says.
    const std::pair<std::u16string, std::vector<int>> names[] = {
        {name, {7, 1, 2026, 1, 9, 23, 5, 0}},
        {FrameCopyName(name, 2), {7, 2, 2026, 1, 9, 23, 5, 0}},
        {u"12345_12_31-00-59~100 (13).PNG", {100, 13, 12345, 12, 31, 0, 59, 0}},  // as the file system compares
    };
    for (const auto& [text, said] : names) {
        FrameFileName p;
        EXPECT_TRUE(ParseFrameFileName(text, &p)) << sys::ToAnsi(text);
        const sys::LocalTime& t = p.time;
        EXPECT_EQ((std::vector<int>{p.frame, p.copy, t.year, t.month, t.day, t.hour, t.minute, t.second}), said);
    }
    // A copy sorts before its plain name (a blank comes before a dot), and before the next frame.
    std::vector<std::u16string> sorted = {LocalFrameName({2026, 1, 9, 23, 5, 0}, 8), FrameCopyName(name, 2), name};
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::u16string>{FrameCopyName(name, 2), name, u"2026_01_09-23-05~008.png"}));
}

TEST(FrameNames, OnlyNamesOfTheProgramsOwnMakingAreTakenForAFrame) {
    EXPECT_EQ(FrameFilePattern(7), u"*~007*.png");
    for (const char16_t* other :
         {u"copy~007.png", u"2026_01_09-00-00~007.png.png", u"2026_1_09-00-00~007.png", u"2026_01_09-00-00~07.png",
          u"2026_01_09-00-00~0071.png", u"2026_01_09-00-00~007.pn~", u"2026_01_09 00-00~007.png", u"",
          u"2026_01_09-00-00~007 (1).png", u"2026_01_09-00-00~007 (02).png", u"2026_01_09-00-00~007 (2)(3).png",
          u"2026_01_09-00-00~007 ().png", u"2026_01_09-00-00~007 (2) .png", u"2026_01_09-00-00~007(2).png",
          u"2026_01_09-00-00~007 (2).dat", u"2026_01_09-00-00~00~0001", u"2026_01_09-00-00~000.png",
          u"2026_01_09-00-00~101.png", u"2026_13_09-00-00~007.png", u"2026_01_00-00-00~007.png",
          u"2026_01_09-24-00~007.png", u"2026_01_09-00-60~007.png"}) {
        EXPECT_FALSE(ParseFrameFileName(other, nullptr)) << sys::ToAnsi(other);
    }
}

TEST(FrameNames, ColumnsFitTheirItemsAndTheListFitsItsColumns) {
    // As under Wine: 16-pixel items, 20 rows in a list 332 pixels high, so 5 columns.
    const char16_t* english = MessageTable[1][kMsgFrame];
    // Five columns of the 88 pixels asked for fit a list of 440: kept.
    FrameColumns fit = FitFrameColumns(english, 63, 16, 440, 332);
    EXPECT_EQ((std::vector<int>{fit.width, fit.widerBy}), (std::vector<int>{88, 0}));
    // A list of 438 (the dialog's under Wine) takes five of 87: the 63-pixel items still whole.
    fit = FitFrameColumns(english, 63, 16, 438, 332);
    EXPECT_EQ((std::vector<int>{fit.width, fit.widerBy}), (std::vector<int>{87, 0}));
    // Items too wide for five columns side by side: the list grows by what is missing.
    fit = FitFrameColumns(MessageTable[2][kMsgFrame], 92, 16, 438, 332);
    EXPECT_EQ((std::vector<int>{fit.width, fit.widerBy}), (std::vector<int>{100, 5 * 100 - 438}));
    // Taller items make more columns: 18 rows, 6 columns.
    fit = FitFrameColumns(english, 63, 18, 438, 332);
    EXPECT_EQ((std::vector<int>{fit.width, fit.widerBy}), (std::vector<int>{73, 0}));
    // At 192 dpi everything is twice as large, the specified width too.
    fit = FitFrameColumns(english, 126, 32, 880, 664, 192);
    EXPECT_EQ((std::vector<int>{fit.width, fit.widerBy}), (std::vector<int>{176, 0}));
    fit = FitFrameColumns(english, 126, 32, 876, 664, 192);
    EXPECT_EQ((std::vector<int>{fit.width, fit.widerBy}), (std::vector<int>{175, 0}));
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
