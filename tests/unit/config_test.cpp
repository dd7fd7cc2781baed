// Pelorin.cfg: what the tolerant reader accepts, and the fixed layout the writer produces.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "core/config.h"
#include "core/log.h"
#include "sys/cp1251.h"
#include "sys/sys_testing.h"
#include "test_support.h"

namespace {

Settings Parse(const std::string& text) { return ParseConfiguration(text.data(), text.size()); }

std::string Section(const std::string& lines) { return "[SYSTEM]\r\n" + lines; }

TEST(ConfigReader, MissingSectionOrEmptyFileGivesEveryDefault) {
    for (const std::string& text : {std::string(), std::string("LANGUAGE_DEFAULT = 1\r\n"),
                                    std::string("[OTHER]\r\nLANGUAGE_DEFAULT = 1\r\n"), std::string("[SYSTEM]")}) {
        Settings s = Parse(text);
        EXPECT_EQ(s.CurrentLanguage, 0) << text;
        EXPECT_EQ(s.DeviceIp, 0xC0A80064u) << text;
        EXPECT_EQ(s.StartupSearchFlag, 0) << text;
        EXPECT_EQ(s.FramesPath, u"FRAMES\\") << text;
        EXPECT_EQ(s.LogPath, u"LOG\\") << text;
        EXPECT_EQ(s.BackgroundColor, 0xC0C0C0u) << text;
        EXPECT_EQ(s.ForegroundColor, 0u) << text;
    }
}

TEST(ConfigReader, SectionNameMatchesWithoutCaseAndAsPrefix) {
    EXPECT_EQ(Parse("[system]\r\nLANGUAGE_DEFAULT = 1\r\n").CurrentLanguage, 1);
    EXPECT_EQ(Parse("[SYSTEMX]\r\nLANGUAGE_DEFAULT = 2\r\n").CurrentLanguage, 2);
    // A section after another one, and keys of the other section not taken.
    EXPECT_EQ(Parse("[A]\r\nLANGUAGE_DEFAULT = 2\r\n[SYSTEM]\r\nIP_ADDRESS = 10.0.0.5\r\n").CurrentLanguage, 0);
    EXPECT_EQ(Parse("[A]\r\nLANGUAGE_DEFAULT = 2\r\n[SYSTEM]\r\nIP_ADDRESS = 10.0.0.5\r\n").DeviceIp, 0x0A000005u);
    // The body ends at the next section.
    EXPECT_EQ(Parse("[SYSTEM]\r\nSTARTUP_SEARCH_FLAG = 1\r\n[NEXT]\r\nLANGUAGE_DEFAULT = 1\r\n").CurrentLanguage, 0);
    // An empty section.
    EXPECT_EQ(Parse("[SYSTEM]\r\n[NEXT]\r\nLANGUAGE_DEFAULT = 1\r\n").CurrentLanguage, 0);
}

TEST(ConfigReader, KeysAreFirstWordsOfLinesWithoutRegardToCase) {
    EXPECT_EQ(Parse(Section("language_default=1\r\n")).CurrentLanguage, 1);
    EXPECT_EQ(Parse(Section("LANGUAGE_DEFAULT=1\r\n")).CurrentLanguage, 1);
    EXPECT_EQ(Parse(Section("   LANGUAGE_DEFAULT   =   1\r\n")).CurrentLanguage, 1);
    EXPECT_EQ(Parse(Section("\tLANGUAGE_DEFAULT\t=\t2\n")).CurrentLanguage, 2);  // bare line feeds too
    EXPECT_EQ(Parse(Section("LANGUAGE_DEFAULTX = 1\r\n")).CurrentLanguage, 0);
    EXPECT_EQ(Parse(Section("; LANGUAGE_DEFAULT = 1\r\n")).CurrentLanguage, 0);
    EXPECT_EQ(Parse(Section("X LANGUAGE_DEFAULT = 1\r\n")).CurrentLanguage, 0);
    // A key without "=" on its line, or with a comment where the value should be, is empty.
    EXPECT_EQ(Parse(Section("LANGUAGE_DEFAULT 1\r\n= 2\r\n")).CurrentLanguage, 0);
    EXPECT_EQ(Parse(Section("LANGUAGE_DEFAULT = ;1\r\n")).CurrentLanguage, 0);
    // Any order, comments and blank lines between.
    Settings s = Parse(Section("; colours\r\n\r\nFOREGROUND_COLOR = 1,2,3\r\n\r\nLANGUAGE_DEFAULT = 2\r\n"));
    EXPECT_EQ(s.ForegroundColor, 0x030201u);
    EXPECT_EQ(s.CurrentLanguage, 2);
}

TEST(ConfigReader, ValuesRunToTheFirstControlByte) {
    EXPECT_EQ(Parse(Section("FRAMES_PATH = D:\\Frames ; my folder\r\n")).FramesPath, u"D:\\Frames ; my folder\\");
    EXPECT_EQ(Parse(Section("FRAMES_PATH = D:\\Frames\tcomment\r\n")).FramesPath, u"D:\\Frames\\");
    EXPECT_EQ(Parse(Section("LOG_PATH = C:\\\r\n")).LogPath, u"C:\\");
    EXPECT_EQ(Parse(Section("IP_ADDRESS =\r\n")).DeviceIp, 0xC0A80064u);
    EXPECT_EQ(Parse(Section("IP_ADDRESS =   \r\n")).DeviceIp, 0xC0A80064u);
    EXPECT_EQ(Parse(Section("IP_ADDRESS = not an address\r\n")).DeviceIp, 0xFFFFFFFFu);
    EXPECT_EQ(Parse(Section("IP_ADDRESS = 127.0.0.1 ; lab\r\n")).DeviceIp, 0x7F000001u);
    // Cyrillic folder names come from the ANSI code page.
    EXPECT_EQ(Parse(Section("FRAMES_PATH = " + ToCp1251(u"Кадры") + "\r\n")).FramesPath, u"Кадры\\");
}

TEST(ConfigReader, LongValuesAreCutAndPathsStillGetTheirBackslash) {
    std::string longPath(300, 'p');
    Settings s = Parse(Section("FRAMES_PATH = " + longPath + "\r\n"));
    EXPECT_EQ(s.FramesPath, std::u16string(199, u'p') + u"\\");
    std::string value;
    std::string body = "KEY = " + std::string(250, 'v');
    ASSERT_TRUE(FindKeyValue(body.data(), body.size(), "KEY", &value));
    EXPECT_EQ(value.size(), kMaxValueLength);
}

TEST(ConfigReader, NumbersAsAtoiWithTheLowByteForTheLanguage) {
    EXPECT_EQ(Parse(Section("LANGUAGE_DEFAULT = 256\r\n")).CurrentLanguage, 0);
    EXPECT_EQ(Parse(Section("LANGUAGE_DEFAULT = 257\r\n")).CurrentLanguage, 1);
    EXPECT_EQ(Parse(Section("LANGUAGE_DEFAULT = 7\r\n")).CurrentLanguage, 7);
    EXPECT_EQ(Parse(Section("LANGUAGE_DEFAULT = -1\r\n")).CurrentLanguage, 255);
    EXPECT_EQ(Parse(Section("STARTUP_SEARCH_FLAG = 1abc\r\n")).StartupSearchFlag, 1);
    EXPECT_EQ(Parse(Section("STARTUP_SEARCH_FLAG = abc\r\n")).StartupSearchFlag, 0);
    EXPECT_EQ(Parse(Section("STARTUP_SEARCH_FLAG = 99999999999999\r\n")).StartupSearchFlag, 0x7FFFFFFF);
}

TEST(ConfigReader, ColourTriples) {
    EXPECT_EQ(ParseColor("255,0,0"), 0x0000FFu);
    EXPECT_EQ(ParseColor("0,0,255"), 0xFF0000u);
    EXPECT_EQ(ParseColor("0, 255, 0"), 0x000000u);  // the blank ends the triple
    EXPECT_EQ(ParseColor("255"), 0x0000FFu);
    EXPECT_EQ(ParseColor("1,2"), 0x000201u);
    EXPECT_EQ(ParseColor(",,7"), 0x070000u);  // empty numbers are 0
    EXPECT_EQ(ParseColor("256,0,0"), 0x000100u);  // no range check: 256 spills into green
    EXPECT_EQ(ParseColor("192,192,192 ; grey"), 0xC0C0C0u);
    EXPECT_EQ(ParseColor(""), 0u);
    EXPECT_EQ(Parse(Section("BACKGROUND_COLOR = 0,0,255\r\n")).BackgroundColor, 0xFF0000u);
}

TEST(ConfigReader, SectionScanStopsAtTheEndOfShortTexts) {
    size_t start = 0, length = 0;
    const char text[] = "[SYS";
    EXPECT_FALSE(FindSection(text, 4, "SYSTEM", &start, &length));
    const char bracket[] = "[";
    EXPECT_FALSE(FindSection(bracket, 1, "SYSTEM", &start, &length));
    std::string value;
    EXPECT_FALSE(FindKeyValue("", 0, "KEY", &value));
    EXPECT_FALSE(FindKeyValue("KEY", 3, "KEY", &value));
    EXPECT_FALSE(FindKeyValue("KEY =", 5, "KEY", &value));
}

TEST(ConfigWriter, DefaultsGiveTheShippedFileByteForByte) {
    std::string shipped = ReadBytes(PELORIN_SOURCE_DIR "/dist/Pelorin.cfg");
    ASSERT_FALSE(shipped.empty());
    EXPECT_EQ(FormatConfiguration(Settings{}), shipped);
}

TEST(ConfigWriter, PathsLoseTheirBackslashButNotADriveRoot) {
    Settings s;
    s.LogPath = u"C:\\";
    s.FramesPath = u"D:\\Data\\Frames\\";
    std::string text = FormatConfiguration(s);
    EXPECT_NE(text.find("\r\nLOG_PATH = C:\\\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nFRAMES_PATH = D:\\Data\\Frames\r\n"), std::string::npos);
    s.LogPath = u"Журнал\\";
    EXPECT_NE(FormatConfiguration(s).find("\r\nLOG_PATH = " + ToCp1251(u"Журнал") + "\r\n"), std::string::npos);
}

TEST(ConfigWriter, WriteThenReadGivesTheSameValues) {
    Settings s;
    s.CurrentLanguage = 2;
    s.DeviceIp = 0x7F000A78;
    s.StartupSearchFlag = -3;
    s.FramesPath = u"D:\\Кадры\\";
    s.LogPath = u"C:\\";
    s.BackgroundColor = 0x010203;
    s.ForegroundColor = 0xFFFFFF;
    std::string text = FormatConfiguration(s);
    Settings back = Parse(text);
    EXPECT_EQ(back.CurrentLanguage, s.CurrentLanguage);
    EXPECT_EQ(back.DeviceIp, s.DeviceIp);
    EXPECT_EQ(back.StartupSearchFlag, s.StartupSearchFlag);
    EXPECT_EQ(back.FramesPath, s.FramesPath);
    EXPECT_EQ(back.LogPath, s.LogPath);
    EXPECT_EQ(back.BackgroundColor, s.BackgroundColor);
    EXPECT_EQ(back.ForegroundColor, s.ForegroundColor);
    EXPECT_EQ(FormatConfiguration(back), text);

    // A language outside 0 to 2 goes back to the file unchanged.
    s.CurrentLanguage = 7;
    EXPECT_EQ(Parse(FormatConfiguration(s)).CurrentLanguage, 7);
    // The longest path survives the round trip.
    s.FramesPath = std::u16string(199, u'f') + u"\\";
    EXPECT_EQ(Parse(FormatConfiguration(s)).FramesPath, s.FramesPath);
}

class ConfigFile : public InScratchFolder {
protected:
    void SetUp() override {
        InScratchFolder::SetUp();
        SetLogFolder(u"LOG\\");
        mkdir("LOG", 0755);
        sys::testing::SetProgramName(u"Pelorin");
    }
    void TearDown() override {
        sys::testing::FailAllocationsAfter(-1);
        sys::testing::FailOneWriteAfter(-1);
        InScratchFolder::TearDown();
    }

    Settings settings;
};

TEST_F(ConfigFile, ReadFillsTheSettings) {
    WriteBytes("Pelorin.cfg", "[SYSTEM]\r\nLANGUAGE_DEFAULT = 1\r\nIP_ADDRESS = 127.0.0.5\r\nFRAMES_PATH = F\r\n");
    ASSERT_EQ(ReadConfiguration(&settings), kConfigRead);
    EXPECT_EQ(settings.CurrentLanguage, 1);
    EXPECT_EQ(settings.DeviceIp, 0x7F000005u);
    EXPECT_EQ(settings.FramesPath, u"F\\");
}

TEST_F(ConfigFile, ReadFailsWithoutFileOrMemory) {
    EXPECT_EQ(ReadConfiguration(&settings), kConfigNotOpened);
    WriteBytes("Pelorin.cfg", "[SYSTEM]\r\n");
    sys::testing::FailAllocationsAfter(0);
    EXPECT_EQ(ReadConfiguration(&settings), kConfigNoMemory);
}

TEST_F(ConfigFile, ReadTakesOnlyTheLengthModulo65536) {
    // The key sits past the first 65,536 bytes; of this file only 22 bytes are read.
    std::string text = "[SYSTEM]\r\n" + std::string(65536 - 11, ';') + "\n";
    text += "LANGUAGE_DEFAULT = 1\r\n";
    WriteBytes("Pelorin.cfg", text);
    ASSERT_EQ(ReadConfiguration(&settings), kConfigRead);
    EXPECT_EQ(settings.CurrentLanguage, 0);
    WriteBytes("Pelorin.cfg", text.substr(0, 10) + text.substr(65536));
    ASSERT_EQ(ReadConfiguration(&settings), kConfigRead);
    EXPECT_EQ(settings.CurrentLanguage, 1);
}

const std::string kSavedByReplacing = ToCp1251(u"Конфигурация программы сохранена (файл заменён).\r\n");
const std::string kSavedInPlace =
    ToCp1251(u"Конфигурация программы сохранена в том же файле: заменить его нельзя.\r\n");
const std::string kNotSaved = ToCp1251(u"Ошибка сохранения конфигурации программы.\r\n");

bool EntryExists(const char* path) {
    struct stat st;
    return lstat(path, &st) == 0;
}

TEST_F(ConfigFile, WriteReplacesTheFileWithTheFixedLayout) {
    WriteBytes("Pelorin.cfg", "old");
    // The user's file under the name the temporary file once had, and a folder too.
    WriteBytes("Pelorin.cf~", "the user's");
    ASSERT_EQ(mkdir("Pelorin.c~", 0755), 0);
    settings.CurrentLanguage = 1;
    ASSERT_TRUE(WriteConfiguration(settings));
    EXPECT_EQ(ReadBytes("Pelorin.cfg"), FormatConfiguration(settings));
    EXPECT_EQ(ReadBytes("Pelorin.cf~"), "the user's");
    EXPECT_EQ(WithoutStamps(ReadBytes("LOG/Pelorin.LOG")), kSavedByReplacing);
    EXPECT_EQ(sys::ListMatchingNames(u"*", 10).size(), 2u) << "a temporary file is left";
}

TEST_F(ConfigFile, WriteDoesNotCreateAMissingFileAndLogsWhy) {
    EXPECT_FALSE(WriteConfiguration(settings));
    EXPECT_FALSE(Exists("Pelorin.cfg"));
    EXPECT_EQ(WithoutStamps(ReadBytes("LOG/Pelorin.LOG")),
              ToCp1251(u"Ошибка сохранения конфигурации программы.\nФайл конфигурации не открыт!"));
}

TEST_F(ConfigFile, WhereNoFileCanBeMadeBesideItTheFileIsWrittenInPlaceOrKeptAsItWas) {
    // A longer old file: the new content must not keep its tail.
    const std::string longer = "[SYSTEM]\r\nLANGUAGE_DEFAULT = 2\r\n" + std::string(2000, ';');
    WriteBytes("Pelorin.cfg", longer);
    settings.DeviceIp = 0x0A000005;
    // The folder takes no new file, while Pelorin.cfg itself may still be written.
    Immutable folder(".");
    if (!folder.ok) GTEST_SKIP() << "the immutable flag cannot be set here (not root?)";
    ASSERT_TRUE(WriteConfiguration(settings));
    EXPECT_EQ(ReadBytes("Pelorin.cfg"), FormatConfiguration(settings));

    // The disk fills up half-way through the new content: the old bytes go back, whether the
    // old file was shorter or longer than the new one.
    for (const std::string& previous : {std::string("[SYSTEM]\r\nLANGUAGE_DEFAULT = 2\r\n"), longer}) {
        WriteBytes("Pelorin.cfg", previous);
        sys::testing::FailOneWriteAfter(100);
        EXPECT_FALSE(WriteConfiguration(settings));
        EXPECT_EQ(ReadBytes("Pelorin.cfg"), previous);
    }
    EXPECT_EQ(sys::ListMatchingNames(u"*", 10).size(), 1u) << "a file was made beside Pelorin.cfg";
    EXPECT_EQ(WithoutStamps(ReadBytes("LOG/Pelorin.LOG")), kSavedInPlace + kNotSaved + kNotSaved);
}

TEST_F(ConfigFile, AFullDiskLeavesThePreviousFileIntact) {
    const std::string previous = "[SYSTEM]\r\nLANGUAGE_DEFAULT = 2\r\n";
    WriteBytes("Pelorin.cfg", previous);
    // The new content cannot be written whole. Writing over the old file instead would fail
    // the same way, so it is left alone.
    sys::testing::FailOneWriteAfter(10);
    settings.CurrentLanguage = 1;
    EXPECT_FALSE(WriteConfiguration(settings));
    EXPECT_EQ(ReadBytes("Pelorin.cfg"), previous);
    EXPECT_EQ(sys::ListMatchingNames(u"*", 10).size(), 1u) << "a temporary file is left";
    EXPECT_EQ(WithoutStamps(ReadBytes("LOG/Pelorin.LOG")), kNotSaved);
}

TEST_F(ConfigFile, AFileThatCannotBeWrittenIsNeitherReplacedNorTouched) {
    const std::string previous = "[SYSTEM]\r\nLANGUAGE_DEFAULT = 2\r\n";
    WriteBytes("Pelorin.cfg", previous);
    settings.CurrentLanguage = 1;
    {
        // Neither the rename over it nor a write into it could succeed: nothing is tried.
        Immutable file("Pelorin.cfg");
        if (!file.ok) GTEST_SKIP() << "the immutable flag cannot be set here (not root?)";
        EXPECT_FALSE(WriteConfiguration(settings));
    }
    EXPECT_EQ(ReadBytes("Pelorin.cfg"), previous);
    EXPECT_FALSE(EntryExists("Pelorin.cf~"));
    EXPECT_EQ(WithoutStamps(ReadBytes("LOG/Pelorin.LOG")),
              ToCp1251(u"Ошибка сохранения конфигурации программы.\nФайл конфигурации не открыт!"));
}

}  // namespace
