// Reading picked frames from the simulated detector into a frames folder: which files appear,
// byte for byte and by name, what the operator is shown for each frame, and how a frame that
// does not fit, a file that cannot be written and a missing folder are dealt with.
#include <sys/stat.h>

#include <ctime>
#include <regex>
#include <thread>

#include "core/app_state.h"
#include "core/messages.h"
#include "frames/frame_names.h"
#include "frames/frame_reader.h"
#include "net_support.h"
#include "sys/sys_testing.h"

namespace {

using Lines = std::vector<std::string>;

std::string Utf8(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Writes down what the dialog would show, one line per call.
class Recorder : public FrameReadDisplay {
public:
    void ShowText(const std::u16string& text) override { lines.push_back("text " + Utf8(text)); }
    void SetFileProgress(int position) override { lines.push_back("file " + std::to_string(position)); }
    void StepFileProgress() override { lines.push_back("step file"); }
    void StepOverallProgress() override { lines.push_back("step overall"); }
    void Pause(unsigned ms) override { lines.push_back("pause " + std::to_string(ms)); }
    Lines lines;
};

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& name : sys::ListMatchingNames(std::u16string(folder.begin(), folder.end()) + u"/*", 1000))
        names.push_back(Utf8(name));
    std::sort(names.begin(), names.end());
    return names;
}

class FrameReading : public DetectorTest {
protected:
    void SetUp() override {
        DetectorTest::SetUp();
        frames = folder + "/FRAMES";
        SelectLanguageTexts(1);
    }
    void TearDown() override {
        SelectLanguageTexts(0);
        DetectorTest::TearDown();
    }

    bool Run(std::vector<int> picked) {
        FrameReadRequest request;
        request.frames = picked;
        request.framesPath = std::u16string(frames.begin(), frames.end()) + u"\\";
        request.device = Peer();
        request.peer = &peer;
        request.link = link;
        before = std::time(nullptr);
        bool ran = ReadFrames(request, &shown, &outcomes);
        after = std::time(nullptr);
        return ran;
    }

    // The one file in the frames folder for `frame`, checked against the naming pattern and
    // the time of the run; empty when there is none.
    std::string StoredName(int frame) const {
        std::string found;
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "~%3.3d.png", frame);
        for (const auto& name : FilesIn(frames)) {
            if (name.size() < 8 || name.compare(name.size() - 8, 8, suffix) != 0) continue;
            EXPECT_TRUE(found.empty()) << "two files for frame " << frame;
            found = name;
        }
        if (found.empty()) return found;
        std::smatch m;
        EXPECT_TRUE(std::regex_match(found, m, std::regex(R"((\d{4})_(\d\d)_(\d\d)-(\d\d)-(\d\d)~\d{3}\.png)"))) << found;
        if (m.size() == 6) {
            struct tm t = {};
            t.tm_year = std::stoi(m[1]) - 1900;
            t.tm_mon = std::stoi(m[2]) - 1;
            t.tm_mday = std::stoi(m[3]);
            t.tm_hour = std::stoi(m[4]);
            t.tm_min = std::stoi(m[5]);
            t.tm_isdst = -1;
            const time_t stamp = std::mktime(&t);
            EXPECT_LE(stamp, after) << found;
            EXPECT_GT(stamp + 60, before) << found;
        }
        return found;
    }

    std::string frames;
    sys::Endpoint peer;
    Recorder shown;
    std::vector<FrameOutcome> outcomes;
    time_t before = 0, after = 0;
};

const Lines kStoredSteps = {"step file", "pause 10", "step file", "pause 10", "step file", "pause 10",
                            "step file", "pause 10", "step file", "pause 10", "step file", "pause 10",
                            "step file", "pause 10", "step file", "pause 10", "step file", "pause 10",
                            "step file", "pause 10", "file 100", "step overall"};

Lines StoredLines(const std::string& frame) {
    Lines lines = {"text Frame №" + frame, "file 0"};
    lines.insert(lines.end(), kStoredSteps.begin(), kStoredSteps.end());
    return lines;
}

TEST_F(FrameReading, PickedFramesAreStoredWholeAndAMissingOneIsNoticed) {
    // Frames far beyond the 50,000 bytes the detector's frames were once thought to stay under.
    const std::string one = PatternBytes(700, 1), two = PatternBytes(60000, 2), three = PatternBytes(400000, 3);
    PutFile("screenshots/1.png", one);
    PutFile("screenshots/2.png", two);
    PutFile("screenshots/3.png", three);
    ASSERT_EQ(mkdir(frames.c_str(), 0755), 0);
    StartDetector();
    ASSERT_TRUE(Run({1, 2, 3, 7}));
    EXPECT_EQ(outcomes, (std::vector<FrameOutcome>{FrameOutcome::Stored, FrameOutcome::Stored, FrameOutcome::Stored,
                                                   FrameOutcome::NotOnDevice}));
    EXPECT_EQ(ReadBytes(frames + "/" + StoredName(1)), one);
    EXPECT_EQ(ReadBytes(frames + "/" + StoredName(2)), two);
    EXPECT_EQ(ReadBytes(frames + "/" + StoredName(3)), three);
    EXPECT_EQ(FilesIn(frames).size(), 3u);  // nothing else, no temporary file

    Lines expected = StoredLines("1");
    for (const char* n : {"2", "3"}) {
        Lines more = StoredLines(n);
        expected.insert(expected.end(), more.begin(), more.end());
    }
    expected.insert(expected.end(), {"text Frame №7", "file 0", "text Frame №7 - no", "pause 300", "step overall"});
    EXPECT_EQ(shown.lines, expected);
    // Each request went to the detector's TFTP port, and the last answer's port is in the peer.
    EXPECT_EQ(peer.ip, kDetectorIp);
    EXPECT_NE(peer.port, Peer().port);
}

TEST_F(FrameReading, FrameLongerThanTheBufferIsNotStoredAndTheNextOneIs) {
    PutFile("screenshots/4.png", PatternBytes(kFrameBufferSize + 1, 4));
    PutFile("screenshots/5.png", PatternBytes(kFrameBufferSize, 5));
    PutFile("screenshots/6.png", PatternBytes(3000, 6));
    StartDetector();
    ASSERT_TRUE(Run({4, 5, 6}));
    EXPECT_EQ(outcomes,
              (std::vector<FrameOutcome>{FrameOutcome::TooLarge, FrameOutcome::Stored, FrameOutcome::Stored}));
    EXPECT_EQ(StoredName(4), "");
    EXPECT_EQ(ReadBytes(frames + "/" + StoredName(5)), PatternBytes(kFrameBufferSize, 5));
    EXPECT_EQ(ReadBytes(frames + "/" + StoredName(6)), PatternBytes(3000, 6));
    const Lines first(shown.lines.begin(), shown.lines.begin() + 5);
    EXPECT_EQ(first, (Lines{"text Frame №4", "file 0", "text Frame №4 - too large", "pause 300", "step overall"}));
    EXPECT_NE(Log().find(Cp1251(u"файл /screenshots/4.png - длиннее буфера в 4000000 байт, чтение прервано\r\n")),
              std::string::npos);
}

TEST_F(FrameReading, FrameThatCannotBeWrittenLeavesNoFileAndTheNextIsStored) {
    PutFile("screenshots/1.png", PatternBytes(900, 1));
    PutFile("screenshots/2.png", PatternBytes(900, 2));
    ASSERT_EQ(mkdir(frames.c_str(), 0755), 0);
    // A folder stands where frame 1's file would go, for this minute and the next.
    const time_t now = std::time(nullptr);
    for (time_t t : {now, now + 60}) {
        struct tm local;
        localtime_r(&t, &local);
        const std::u16string name = LocalFrameName(
            {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, 0}, 1);
        ASSERT_EQ(mkdir((frames + "/" + Utf8(name)).c_str(), 0755), 0);
    }
    StartDetector();
    ASSERT_TRUE(Run({1, 2}));
    EXPECT_EQ(outcomes, (std::vector<FrameOutcome>{FrameOutcome::NotSaved, FrameOutcome::Stored}));
    const Lines first(shown.lines.begin(), shown.lines.begin() + 5);
    EXPECT_EQ(first, (Lines{"text Frame №1", "file 0", "text Frame №1 - not saved", "pause 300", "step overall"}));
    EXPECT_EQ(ReadBytes(frames + "/" + StoredName(2)), PatternBytes(900, 2));
    for (const auto& name : FilesIn(frames)) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
    EXPECT_TRUE(std::regex_search(Log(), std::regex(Cp1251(u"файл .*FRAMES\\\\[0-9_-]+~001\\.png - не записан на диск\r\n"))))
        << Log();
}

TEST_F(FrameReading, MissingFramesFolderIsMadeAndOneThatCannotBeMadeIsNoticed) {
    PutFile("screenshots/3.png", PatternBytes(100, 3));
    StartDetector();
    ASSERT_TRUE(Run({3}));
    EXPECT_EQ(outcomes, (std::vector<FrameOutcome>{FrameOutcome::Stored}));
    EXPECT_EQ(ReadBytes(frames + "/" + StoredName(3)), PatternBytes(100, 3));
    // Only one level is made: a folder inside a missing one stays missing.
    frames = folder + "/missing/FRAMES";
    ASSERT_TRUE(Run({3}));
    EXPECT_EQ(outcomes, (std::vector<FrameOutcome>{FrameOutcome::NotSaved}));
    EXPECT_FALSE(Exists(folder + "/missing"));
}

TEST_F(FrameReading, WithoutAnAnswerEveryFrameSaysSo) {
    detector::Options o = Defaults();
    o.faults.mute = true;
    StartDetector(o);
    SelectLanguageTexts(0);
    const uint64_t start = NowMs();
    ASSERT_TRUE(Run({1, 2}));
    // One 300 ms wait per frame (the notices' pauses are the display's).
    EXPECT_GE(NowMs() - start, 2 * 290u);
    EXPECT_EQ(outcomes, (std::vector<FrameOutcome>{FrameOutcome::NoLink, FrameOutcome::NoLink}));
    EXPECT_EQ(shown.lines, (Lines{"text Кадр №1", "file 0", "text Кадр №1 - нет связи", "pause 300", "step overall",
                                  "text Кадр №2", "file 0", "text Кадр №2 - нет связи", "pause 300",
                                  "step overall"}));
    EXPECT_FALSE(Exists(frames));
}

TEST_F(FrameReading, WithoutTheBufferNothingIsSentAndWithoutAPickNothingHappens) {
    PutFile("screenshots/1.png", PatternBytes(100, 1));
    StartDetector();
    sys::testing::FailAllocationsAfter(0);
    EXPECT_FALSE(Run({1}));
    sys::testing::FailAllocationsAfter(-1);
    EXPECT_TRUE(Run({}));
    EXPECT_TRUE(shown.lines.empty());
    EXPECT_TRUE(outcomes.empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(device->Packets().empty());
}

}  // namespace
