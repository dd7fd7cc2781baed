// Reading picked frames from the simulated detector into a frames folder, where the end-to-end
// scenarios cannot go: what the dialog is told to show and how long it pauses, a frame exactly
// as long as the buffer, a frames folder that cannot be made, and no memory for the buffer.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "core/messages.h"
#include "frames/frame_reader.h"
#include "net_support.h"
#include "sys/sys.h"
#include "sys/sys_testing.h"

namespace {

using Lines = std::vector<std::u16string>;

// "2026_": how the names of the frames read now begin.
std::string ThisYear() { return std::to_string(sys::Now().year) + "_"; }

class FrameReading : public DetectorTest {
protected:
    void SetUp() override {
        DetectorTest::SetUp();
        SelectLanguageTexts(1);
    }
    void TearDown() override {
        SelectLanguageTexts(0);
        DetectorTest::TearDown();
    }

    bool Run(const std::string& frames, std::vector<int> picked) {
        FrameReadRequest request;
        request.frames = picked;
        request.framesPath = std::u16string(frames.begin(), frames.end()) + u"\\";
        request.link = {link.socket, Peer(), link.timeoutMs};
        return ReadFrames(request, &shown, &outcomes);
    }

    // The name of the one file in FRAMES for `frame` whose name starts with `prefix` (the
    // names are checked end to end).
    std::string StoredName(int frame, const std::string& prefix = "") const {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "*~%03d.png", frame);
        const auto found = sys::ListMatchingNames(u"FRAMES/" + sys::FromAnsi(prefix + suffix), 10);
        EXPECT_LE(found.size(), 1u) << "two files for frame " << frame;
        return found.empty() ? "" : sys::ToAnsi(found[0]);
    }
    // The bytes of that file.
    std::string Stored(int frame, const std::string& prefix = "") const {
        const std::string name = StoredName(frame, prefix);
        return name.empty() ? "" : ReadBytes("FRAMES/" + name);
    }

    RecordingDisplay shown;
    std::vector<FrameOutcome> outcomes;
};

TEST_F(FrameReading, FrameLongerThanTheBufferIsNotStoredAndTheNextOneIs) {
    PutFile("screenshots/4.png", PatternBytes(kFrameBufferSize + 1, 4));
    PutFile("screenshots/5.png", PatternBytes(kFrameBufferSize, 5));
    PutFile("screenshots/6.png", PatternBytes(3000, 6));
    StartDetector();
    ASSERT_TRUE(Run(folder + "/FRAMES", {4, 5, 6}));
    EXPECT_EQ(outcomes,
              (std::vector<FrameOutcome>{FrameOutcome::TooLarge, FrameOutcome::Stored, FrameOutcome::Stored}));
    EXPECT_EQ(Stored(4), "");
    EXPECT_EQ(Stored(5), PatternBytes(kFrameBufferSize, 5));
    EXPECT_EQ(Stored(6), PatternBytes(3000, 6));
    // A notice stays 300 ms; a frame stored fills the file bar in ten steps of 10 ms.
    Lines expected = {u"text Frame №4", u"file 0", u"text Frame №4 - too large", u"pause 300", u"step overall"};
    for (const char16_t* n : {u"5", u"6"}) {
        expected.insert(expected.end(), {u"text Frame №" + std::u16string(n), u"file 0"});
        const Lines filled = FileBarFilled();
        expected.insert(expected.end(), filled.begin(), filled.end());
        expected.push_back(u"step overall");
    }
    EXPECT_EQ(shown.lines, expected);
}

TEST_F(FrameReading, AFrameAlreadyStoredIsNotStoredAgainUntilItsFileIsGone) {
    const std::string seven = PatternBytes(3000, 7), eight = PatternBytes(1500, 8);
    PutFile("screenshots/7.png", seven);
    PutFile("screenshots/8.png", eight);
    ASSERT_EQ(mkdir("FRAMES", 0755), 0);
    // Only a file of the same number with the very same bytes counts: not one of another
    // number, nor one of the same size with other bytes, nor a name the program does not make.
    WriteBytes("FRAMES/2020_01_01-00-00~007.png", PatternBytes(3000, 70));
    WriteBytes("FRAMES/2020_01_01-00-00~017.png", seven);
    WriteBytes("FRAMES/copy~007.png", seven);
    WriteBytes("FRAMES/2020_01_01-00-00~008.png", eight);
    StartDetector();
    ASSERT_TRUE(Run(folder + "/FRAMES", {7, 8}));
    EXPECT_EQ(outcomes, (std::vector<FrameOutcome>{FrameOutcome::Stored, FrameOutcome::AlreadyStored}));
    EXPECT_EQ(Stored(7, ThisYear()), seven);
    const Lines eighth = {u"text Frame №8", u"file 0", u"text Frame №8 - already stored", u"pause 300", u"step overall"};
    EXPECT_EQ(Lines(shown.lines.end() - 5, shown.lines.end()), eighth);
    EXPECT_NE(Log().find(Cp1251(u"файл /screenshots/8.png - уже записан в файле ") + folder +
                         "/FRAMES\\2020_01_01-00-00~008.png\r\n"),
              std::string::npos)
        << Log();

    // The next shift reads frame 7 again: the file just stored holds it.
    const std::string stored = StoredName(7, ThisYear());
    ASSERT_TRUE(Run(folder + "/FRAMES", {7}));
    EXPECT_EQ(outcomes, (std::vector<FrameOutcome>{FrameOutcome::AlreadyStored}));
    EXPECT_EQ(StoredName(7, ThisYear()), stored);
    // Once the operator has deleted it, the frame is stored anew.
    ASSERT_EQ(unlink(("FRAMES/" + stored).c_str()), 0);
    ASSERT_TRUE(Run(folder + "/FRAMES", {7}));
    EXPECT_EQ(outcomes, (std::vector<FrameOutcome>{FrameOutcome::Stored}));
    EXPECT_EQ(Stored(7, ThisYear()), seven);
}

// Gives the transfer up (as the window's thread does once the program ends) from the moment
// the display shows frame `frame` on.
class DisplayThatEndsTheProgram : public RecordingDisplay {
public:
    explicit DisplayThatEndsTheProgram(int frame) : frame_(frame) {}
    void ShowText(const std::u16string& text) override {
        RecordingDisplay::ShowText(text);
        if (text == u"Frame №" + std::u16string(1, static_cast<char16_t>(u'0' + frame_))) g_ending = true;
    }
    static SocketWaitResult Wait(sys::Socket socket, int milliseconds) {
        if (g_ending) return SocketWaitResult::GiveUp;
        bool readable = false;
        return sys::WaitReadable(&socket, 1, &readable, milliseconds) > 0 ? SocketWaitResult::Readable
                                                                           : SocketWaitResult::NotYet;
    }
    static bool g_ending;

private:
    int frame_;
};
bool DisplayThatEndsTheProgram::g_ending = false;

TEST_F(FrameReading, TheProgramsEndLetsNoFurtherFrameStart) {
    for (int n = 1; n <= 3; ++n) PutFile("screenshots/" + std::to_string(n) + ".png", PatternBytes(1500, n));
    StartDetector();
    // Closed while frame 1 comes: frame 1 is finished and stored, no other is asked for.
    shown.stopAfterTexts = 1;
    ASSERT_TRUE(Run(folder + "/FRAMES", {1, 2, 3}));
    EXPECT_EQ(outcomes, std::vector<FrameOutcome>{FrameOutcome::Stored});
    EXPECT_EQ(Stored(1), PatternBytes(1500, 1));
    EXPECT_EQ(Log(), Cp1251(u"файл /screenshots/1.png - прочитан. Длина 1500 байт\r\n"));

    // The session ends while frame 2 comes: it is given up, neither stored nor shown nor logged.
    DisplayThatEndsTheProgram ending(2);
    FrameReadRequest request;
    request.frames = {2, 3};
    request.framesPath = sys::FromAnsi(folder) + u"/FRAMES\\";
    request.link = {link.socket, Peer(), link.timeoutMs, DisplayThatEndsTheProgram::Wait};
    DisplayThatEndsTheProgram::g_ending = false;
    ASSERT_TRUE(ReadFrames(request, &ending, &outcomes));
    DisplayThatEndsTheProgram::g_ending = false;
    EXPECT_EQ(outcomes, std::vector<FrameOutcome>{FrameOutcome::Abandoned});
    EXPECT_EQ(ending.lines, (Lines{u"text Frame №2", u"file 0"}));
    EXPECT_EQ(StoredName(2), "");
    EXPECT_EQ(sys::ListMatchingNames(u"FRAMES/*~002.*", 10).size(), 0u);
    EXPECT_EQ(Log(), Cp1251(u"файл /screenshots/1.png - прочитан. Длина 1500 байт\r\n"));
}

TEST_F(FrameReading, PicturesReadUnderOneNumberWithinAMinuteAreStoredSideBySide) {
    const std::string pictures[] = {PatternBytes(3000, 11), PatternBytes(2500, 12), PatternBytes(3000, 13)};
    StartDetector();
    // The names go to the minute: readings that cross into the next one are done again.
    for (int attempt = 0, minute = -1; attempt < 3 && minute != sys::Now().minute; ++attempt) {
        ASSERT_EQ(std::system("rm -rf FRAMES"), 0);
        minute = sys::Now().minute;
        for (const int picture : {0, 1, 2, 1}) {  // the last one is already stored, as a copy
            PutFile("screenshots/1.png", pictures[picture]);
            ASSERT_TRUE(Run(folder + "/FRAMES", {1}));
        }
    }
    EXPECT_EQ(outcomes, (std::vector<FrameOutcome>{FrameOutcome::AlreadyStored}));
    const std::string name = StoredName(1, ThisYear());
    const std::string stem = "FRAMES/" + name.substr(0, name.size() - 4);
    EXPECT_EQ(ReadBytes(stem + ".png") + ReadBytes(stem + " (2).png") + ReadBytes(stem + " (3).png"),
              pictures[0] + pictures[1] + pictures[2]);
    EXPECT_EQ(sys::ListMatchingNames(u"FRAMES/*", 10).size(), 3u);
}

TEST_F(FrameReading, OnlyTheLastFolderOfTheFramesPathIsMade) {
    PutFile("screenshots/3.png", PatternBytes(100, 3));
    StartDetector();
    ASSERT_TRUE(Run(folder + "/missing/FRAMES", {3}));
    EXPECT_EQ(outcomes, (std::vector<FrameOutcome>{FrameOutcome::NotSaved}));
    EXPECT_FALSE(Exists(folder + "/missing"));
}

TEST_F(FrameReading, WithoutTheBufferNothingIsSent) {
    PutFile("screenshots/1.png", PatternBytes(100, 1));
    StartDetector();
    sys::testing::FailAllocationsAfter(0);
    EXPECT_FALSE(Run(folder + "/FRAMES", {1}));
    sys::testing::FailAllocationsAfter(-1);
    EXPECT_TRUE(shown.lines.empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(device->Packets().empty());
}

}  // namespace
