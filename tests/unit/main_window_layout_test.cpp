// Where the commentary fields stand in each language, and the texts of the search and the
// status line.
#include <gtest/gtest.h>

#include "core/messages.h"
#include "mainwnd/device_search.h"
#include "mainwnd/field_layout.h"

// Found by argument lookup, so beside FieldRect.
inline bool operator==(const FieldRect& a, const FieldRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::ostream& operator<<(std::ostream& out, const FieldRect& r) {
    return out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

TEST(FieldLayout, EnglishRectangles) {
    auto r = ComputeFieldRects(MessageTable[1]);
    EXPECT_EQ(r[0], (FieldRect{150, 480, 558, 500}));   // 50 characters
    EXPECT_EQ(r[1], (FieldRect{150, 510, 398, 530}));   // 30 characters
    EXPECT_EQ(r[3], (FieldRect{248, 570, 336, 590}));   // after "Defect coordinates (depth):", 27 characters
    EXPECT_EQ(r[4], (FieldRect{150, 600, 558, 654}));   // multi-line, a third of 150 characters
    EXPECT_EQ(r[5], (FieldRect{720, 60, 888, 80}));     // "Operator code:", exactly at the clip
    EXPECT_EQ(r[6], (FieldRect{690, 120, 888, 140}));   // clipped: 898 without the limit
    EXPECT_EQ(r[9], (FieldRect{690, 210, 888, 230}));
    EXPECT_EQ(r[10], (FieldRect{600, 350, 888, 404}));  // multi-line, not clipped: 600 + 8 * 35 + 8
    EXPECT_EQ(r[11], (FieldRect{600, 470, 888, 524}));
}

TEST(FieldLayout, LabelLengthsOfOtherLanguagesMoveTheFields) {
    auto russian = ComputeFieldRects(MessageTable[0]);
    EXPECT_EQ(russian[3], (FieldRect{266, 570, 354, 590}));  // "Координаты дефекта (глубина):", 29
    EXPECT_EQ(russian[7], (FieldRect{682, 150, 888, 170}));  // "№       :", 9 characters
    auto turkish = ComputeFieldRects(MessageTable[2]);
    EXPECT_EQ(turkish[3], (FieldRect{275, 570, 363, 590}));  // "Hata koordinatlari (derinlik):", 30
    EXPECT_EQ(turkish[8], (FieldRect{682, 180, 888, 200}));  // "Cinsi   :", 9: clipped from 890
}

class SearchTexts : public ::testing::Test {
protected:
    void SetUp() override { SelectLanguageTexts(1); }
    void TearDown() override { SelectLanguageTexts(0); }
};

TEST_F(SearchTexts, CandidatesKeepTheNetworkOfTheDeviceAddress) {
    EXPECT_EQ(WithLastOctet(0xC0A80007, kFirstCandidateOctet), 0xC0A80064u);  // 192.168.0.100
    EXPECT_EQ(WithLastOctet(0x0A000005, kLastCandidateOctet), 0x0A0000C7u);   // 10.0.0.199
    EXPECT_EQ(WithLastOctet(0x7F0000FF, 150), 0x7F000096u);
    EXPECT_EQ(SearchRangeText(0xC0A80007), u"Check IP address diapason 192.168.0.100 - 192.168.0.199");
}

TEST_F(SearchTexts, CandidateLineAndItsOutcome) {
    EXPECT_EQ(SearchAllCandidatesText(0x7F000078), u"Current IP address - 127.0.0.100 - 127.0.0.199");
    EXPECT_EQ(SearchCandidateText(0x7F000078, CandidateState::Answered),
              u"Current IP address - 127.0.0.120 - answer exist");
    EXPECT_EQ(SearchCandidateText(0x7F0000C7, CandidateState::NoneAnswered),
              u"Current IP address - 127.0.0.199 - answer do not exist");
}

TEST_F(SearchTexts, StatusLineInEachLanguage) {
    EXPECT_EQ(StatusLineText(0xC0A80064), u"IP address = 192.168.0.100");
    SelectLanguageTexts(0);
    EXPECT_EQ(StatusLineText(0x7F000001), u"IP адрес = 127.0.0.1");
    SelectLanguageTexts(2);
    EXPECT_EQ(StatusLineText(0x0A000005), u"IP adresi = 10.0.0.5");
}

}  // namespace
