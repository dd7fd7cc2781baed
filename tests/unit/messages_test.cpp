// The message table: complete in three languages, the same placeholders in every language,
// and the choice of the current texts.
#include <gtest/gtest.h>

#include <string>

#include "core/messages.h"
#include "core/text_format.h"

namespace {

// The sequence of "%s" and "%d" in a text.
std::string Placeholders(const char16_t* text) {
    std::string found;
    for (const char16_t* p = text; *p; ++p) {
        if (p[0] == u'%' && (p[1] == u's' || p[1] == u'd')) found += static_cast<char>(p[1]);
    }
    return found;
}

TEST(MessageTable, EveryEntryExistsInEveryLanguageWithTheSamePlaceholders) {
    for (int entry = 0; entry < kMessageCount; ++entry) {
        for (int language = 0; language < kLanguageCount; ++language) {
            ASSERT_NE(MessageTable[language][entry], nullptr) << entry;
            EXPECT_NE(MessageTable[language][entry][0], u'\0') << "entry " << entry << " language " << language;
        }
        EXPECT_EQ(Placeholders(MessageTable[1][entry]), Placeholders(MessageTable[0][entry])) << entry;
        EXPECT_EQ(Placeholders(MessageTable[1][entry]), Placeholders(MessageTable[2][entry])) << entry;
    }
}

TEST(MessageTable, TextsThatOthersRelyOn) {
    EXPECT_EQ(std::u16string(MessageTable[1][kMsgCaption]), u"Pelorin, version %s");
    EXPECT_EQ(std::u16string(MessageTable[0][kMsgCaption]), u"Pelorin, версия %s");
    EXPECT_EQ(std::u16string(MessageTable[2][kMsgAboutTitle]), u"About program");  // kept in English
    EXPECT_EQ(std::u16string(MessageTable[1][14]), u"type     :");
    EXPECT_EQ(std::u16string(MessageTable[0][15]), u"№       :");
    EXPECT_EQ(std::u16string(MessageTable[1][1]), u"Frame files (*.png)|*.png");
    EXPECT_EQ(std::u16string(MessageTable[0][32]), u"Невозможно открыть сокет %s.\n%s.\nКод ошибки %d");
    EXPECT_EQ(std::u16string(ProgramVersion), u"2.04");
}

class CurrentLanguage : public ::testing::Test {
protected:
    void TearDown() override { SelectLanguageTexts(0); }
};

TEST_F(CurrentLanguage, SelectingALanguageMakesItsTextsCurrent) {
    SelectLanguageTexts(2);
    EXPECT_EQ(std::u16string(CurrentTexts[kMsgPrev]), u"Once.");
    SelectLanguageTexts(1);
    EXPECT_EQ(FormatText(CurrentTexts[kMsgAboutVersion], {ProgramVersion}), u"Program Pelorin, version 2.04");
}

TEST_F(CurrentLanguage, AnUnknownLanguageShowsRussian) {
    SelectLanguageTexts(1);
    SelectLanguageTexts(7);
    for (int entry = 0; entry < kMessageCount; ++entry) EXPECT_EQ(CurrentTexts[entry], MessageTable[0][entry]);
}

TEST(TextFormat, FillsPlaceholdersInOrder) {
    EXPECT_EQ(FormatText(u"%s = %s", {u"IP address", u"10.0.0.5"}), u"IP address = 10.0.0.5");
    EXPECT_EQ(FormatText(u"Socket %s is not open.\n%s.\nError code %d", {u"UDP", u"Exit", 1002}),
              u"Socket UDP is not open.\nExit.\nError code 1002");
    EXPECT_EQ(FormatText(u"100%% %d", {-5}), u"100% -5");
    EXPECT_EQ(FormatText(u"%s and %s", {u"one"}), u"one and ");
    EXPECT_EQ(FormatText(u"50% off", {}), u"50% off");
}

TEST(TextFormat, NeverLongerThanTheTextBuffer) {
    std::u16string longText(2000, u'x');
    EXPECT_EQ(FormatText(u"file %s - not found", {longText}).size(), kTextBufferLength - 1);
}

}  // namespace
