// Read > Settings over real UDP on loopback against the simulated detector, without its dialog:
// what the dialog is told to show and in which order (texts, bar steps, pauses, the message
// after each file that did not replace its copy), and which local copies the detector's wrong
// answers, a file too large and a copy that cannot be written leave as they were.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <chrono>
#include <thread>

#include "core/messages.h"
#include "net_support.h"
#include "settings/settings_reader.h"
#include "sys/sys_testing.h"

namespace {

using Lines = std::vector<std::u16string>;

Lines operator+(Lines first, const Lines& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

Lines Stored(const std::u16string& name) {
    return Lines{u"text " + name, u"file 0"} + FileBarFilled() + Lines{u"step overall"};
}

// A file that did not come: its notice stays 300 ms, then the message says it again.
Lines NotCome(const std::u16string& name, const std::u16string& notice) {
    return {u"text " + name, u"file 0", u"text " + notice, u"pause 300", u"step overall", u"tell " + notice};
}

class SettingsReading : public DetectorTest {
protected:
    void SetUp() override {
        DetectorTest::SetUp();
        SelectLanguageTexts(1);
        ASSERT_EQ(mkdir("FRAMES", 0755), 0);
        WriteBytes("FRAMES/fds.sdb", "old fds");
        WriteBytes("FRAMES/fdc.sdb", "old fdc");
    }
    void TearDown() override {
        SelectLanguageTexts(0);
        DetectorTest::TearDown();
    }

    DeviceLink Link() const { return {link.socket, Peer(), link.timeoutMs}; }
    bool ReadBoth() {
        shown.lines.clear();
        return ReadSettingsFiles(Link(), u"FRAMES\\", &shown, &outcomes);
    }

    RecordingDisplay shown;
    std::vector<SettingsReadOutcome> outcomes;
};

TEST_F(SettingsReading, WrongAnswersKeepTheOldCopiesAndAreToldFileByFile) {
    // The detector has no fds.sdb and answers ERROR; fdc.sdb comes all the same.
    PutFile("fdc.sdb", PatternBytes(700, 2));
    StartDetector();
    ASSERT_TRUE(ReadBoth());
    EXPECT_EQ(shown.lines, NotCome(u"fds.sdb", u"file fds.sdb - not found") + Stored(u"fdc.sdb"));
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), "old fds");
    EXPECT_EQ(ReadBytes("FRAMES/fdc.sdb"), PatternBytes(700, 2));

    // No answer at all: both files told in turn, both copies as they were.
    detector::Options muted = Defaults();
    muted.faults.mute = true;
    StartDetector(muted);
    ASSERT_TRUE(ReadBoth());
    EXPECT_EQ(shown.lines, NotCome(u"fds.sdb", u"file fds.sdb - link not established") +
                               NotCome(u"fdc.sdb", u"file fdc.sdb - link not established"));
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), "old fds");
    EXPECT_EQ(ReadBytes("FRAMES/fdc.sdb"), PatternBytes(700, 2));
}

TEST_F(SettingsReading, AStopAskedForWhileTheFirstFileIsToldStartsNoSecond) {
    // The program is closed while the notice about fds.sdb waits: fdc.sdb is never asked for.
    PutFile("fdc.sdb", PatternBytes(700, 2));
    StartDetector();
    shown.stopAfterTexts = 1;
    ASSERT_TRUE(ReadBoth());
    EXPECT_EQ(shown.lines, NotCome(u"fds.sdb", u"file fds.sdb - not found"));
    EXPECT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(ReadBytes("FRAMES/fdc.sdb"), "old fdc");
    for (const std::string& line : Exchange(2)) EXPECT_EQ(line.find("fdc.sdb"), std::string::npos) << line;
}

TEST_F(SettingsReading, AFileTooLargeIsNotStoredAndTheNextComesWholeThroughTheSameBuffer) {
    PutFile("fds.sdb", PatternBytes(kSettingsBufferSize + 1, 1));
    PutFile("fdc.sdb", PatternBytes(300, 2));  // nothing of the long one's bytes may follow it
    StartDetector();
    ASSERT_TRUE(ReadBoth());
    EXPECT_EQ(shown.lines,
              NotCome(u"fds.sdb", u"file fds.sdb - longer than 5000000 bytes, not saved") + Stored(u"fdc.sdb"));
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), "old fds");
    EXPECT_EQ(ReadBytes("FRAMES/fdc.sdb"), PatternBytes(300, 2));
}

TEST_F(SettingsReading, ACopyThatCannotBeWrittenIsToldAndTheOldOneStays) {
    PutFile("fds.sdb", PatternBytes(3000, 1));
    PutFile("fdc.sdb", PatternBytes(900, 2));
    StartDetector();
    {
        // No room for the new fds.sdb beside the old one: no file may grow past 2000 bytes (the
        // log stays shorter), and a write beyond fails rather than ending the process.
        struct rlimit previous;
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
        struct rlimit small = previous;
        small.rlim_cur = 2000;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        void (*handler)(int) = signal(SIGXFSZ, SIG_IGN);
        const bool read = ReadBoth();
        setrlimit(RLIMIT_FSIZE, &previous);
        signal(SIGXFSZ, handler);
        ASSERT_TRUE(read);
    }
    // The file came whole, so its bar fills before the notice says where it did not go.
    const std::u16string notice = u"file fds.sdb - not saved, the old copy is kept";
    const Lines told = {u"text " + notice, u"pause 300", u"step overall", u"tell " + notice};
    const Lines started = {u"text fds.sdb", u"file 0"};
    EXPECT_EQ(shown.lines, started + FileBarFilled() + told + Stored(u"fdc.sdb"));
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), "old fds");
    EXPECT_EQ(ReadBytes("FRAMES/fdc.sdb"), PatternBytes(900, 2));
}

TEST_F(SettingsReading, AMissingFramesFolderIsMadeAndNoOldCopyIsClaimedWhereThereWasNone) {
    PutFile("fds.sdb", PatternBytes(3000, 1));
    PutFile("fdc.sdb", PatternBytes(900, 2));
    StartDetector();
    // One level is made, as reading frames makes it.
    ASSERT_TRUE(ReadSettingsFiles(Link(), u"NEW\\", &shown, &outcomes));
    EXPECT_EQ(shown.lines, Stored(u"fds.sdb") + Stored(u"fdc.sdb"));
    EXPECT_EQ(ReadBytes("NEW/fds.sdb"), PatternBytes(3000, 1));
    EXPECT_EQ(ReadBytes("NEW/fdc.sdb"), PatternBytes(900, 2));

    // Two levels missing: the folder cannot be made, and the message says so.
    shown.lines.clear();
    ASSERT_TRUE(ReadSettingsFiles(Link(), u"MISSING\\NEW\\", &shown, &outcomes));
    const Lines started = {u"text fds.sdb", u"file 0"};
    const std::u16string notice = u"file fds.sdb - not saved, the folder MISSING\\NEW cannot be made";
    const Lines told = {u"text " + notice, u"pause 300", u"step overall", u"tell " + notice};
    EXPECT_EQ(Lines(shown.lines.begin(), shown.lines.begin() + 27), started + FileBarFilled() + told);
    EXPECT_FALSE(Exists("MISSING"));

    // A folder that takes no new file and holds no old copy: no message claims one.
    ASSERT_EQ(mkdir("EMPTY", 0755), 0);
    Immutable locked("EMPTY");
    if (!locked.ok) GTEST_SKIP() << "the immutable flag cannot be set here (root only)";
    shown.lines.clear();
    ASSERT_TRUE(ReadSettingsFiles(Link(), u"EMPTY\\", &shown, &outcomes));
    EXPECT_EQ(shown.lines.back(), u"tell file fdc.sdb - not saved");
    EXPECT_EQ(outcomes[0].notice, u"file fds.sdb - not saved");
}

TEST_F(SettingsReading, WithoutTheBufferNothingIsSentOrShown) {
    PutFile("fds.sdb", PatternBytes(100, 1));
    StartDetector();
    sys::testing::FailAllocationsAfter(0);
    EXPECT_FALSE(ReadBoth());
    sys::testing::FailAllocationsAfter(-1);
    EXPECT_TRUE(shown.lines.empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(device->Packets().empty());
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), "old fds");
}

}  // namespace
