// Reading picked frames from the simulated detector into a frames folder, where the end-to-end
// scenarios cannot go: what the dialog is told to show and how long it pauses, a frame exactly
// as long as the buffer, a frames folder that cannot be made, and no memory for the buffer.
#include <cstdio>
#include <thread>

#include "core/messages.h"
#include "frames/frame_reader.h"
#include "net_support.h"
#include "sys/sys.h"
#include "sys/sys_testing.h"

namespace {

using Lines = std::vector<std::u16string>;

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

    // The bytes of the one file in FRAMES for `frame` (its name is checked end to end).
    std::string Stored(int frame) const {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "~%03d.png", frame);
        const auto found = sys::ListMatchingNames(u"FRAMES/*" + sys::FromAnsi(suffix), 10);
        EXPECT_LE(found.size(), 1u) << "two files for frame " << frame;
        return found.empty() ? "" : ReadBytes("FRAMES/" + sys::ToAnsi(found[0]));
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
