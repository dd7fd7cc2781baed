// pelorin-version-writer: stores numbered versions of a commentary, a frame and Pelorin.cfg
// through the program's own writers, one after another, until it is killed; the kill test
// (kill_saves.py) kills it at random instants and looks at what is left.
//
//   pelorin-version-writer FIRST COUNT
//
// Run in a working folder holding Pelorin.cfg and FRAMES. First it says what the program would
// take from the folder now (the frame list, the commentary read for the frame, the configuration
// read), as a restart after a crash would see it, and which files pass for commentaries and
// configurations by their extension:
//   found frames NAME|NAME...|     found others NAME|NAME...|
//   found commentary VERSION (or "other")     found config A.B.C.D
// then "writing", then one line per version as soon as it is complete:
//   commentary N     frame N     config N
// for N = FIRST, FIRST + 1, ... (at most COUNT of each, at most 30 s).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/file_store.h"
#include "core/frame_list.h"
#include "mainwnd/commentary_file.h"
#include "sys/sys.h"

namespace {

const std::u16string kFolder = u"FRAMES\\";
const std::u16string kFrame = kFolder + u"2026_12_08-10-00~001.png";

std::u16string Digits(unsigned long value, size_t width) {
    std::u16string text;
    for (; width > 0; --width, value /= 10) text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
    return text;
}

std::string Ascii(const std::u16string& text) { return std::string(text.begin(), text.end()); }

// Version N fills every field to its length with "NNNNNNN-FF Шов ", so that a file made of
// two versions reads as neither.
CommentaryTexts TextsOf(unsigned long version) {
    CommentaryTexts texts;
    for (int i = 0; i < kFieldCount; ++i) {
        const std::u16string unit = Digits(version, 7) + u"-" + Digits(static_cast<unsigned long>(i), 2) + u" Шов ";
        while (texts[i].size() < kCommentaryFields[i].maxLength) texts[i] += unit;
        texts[i].resize(kCommentaryFields[i].maxLength);
    }
    return texts;
}

// A PNG signature and "frame NNNNNNN " repeated, 200,000 to 280,000 bytes.
std::string FrameOf(unsigned long version) {
    std::string bytes = "\x89PNG\r\n\x1a\n";
    const std::string unit = "frame " + Ascii(Digits(version, 7)) + " ";
    const size_t size = 200000 + (version % 5) * 20000;
    while (bytes.size() < size) bytes += unit;
    bytes.resize(size);
    return bytes;
}

// The detector's address carries the version: 127.x.y.z.
Settings SettingsOf(unsigned long version) {
    Settings settings;
    settings.DeviceIp = 0x7F000000u | (version & 0xFFFFFFu);
    return settings;
}

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void SayWhatARestartFinds() {
    std::string frames = "found frames ";
    for (const std::u16string& name : ListMatchingFiles(kFolder + u"*.png")) frames += Ascii(name) + "|";
    Say(frames);
    // Nothing else may pass for a commentary or a configuration either.
    std::string others = "found others ";
    for (const std::u16string& name : ListMatchingFiles(kFolder + u"*.dat")) others += Ascii(name) + "|";
    for (const std::u16string& name : ListMatchingFiles(u"*.cfg")) others += Ascii(name) + "|";
    Say(others);

    const CommentaryTexts texts = LoadCommentary(kFrame).texts;
    const unsigned long version = std::strtoul(Ascii(texts[0].substr(0, 7)).c_str(), nullptr, 10);
    Say(texts == TextsOf(version) ? "found commentary " + std::to_string(version) : "found commentary other");

    Settings settings;
    if (ReadConfiguration(&settings) != kConfigRead) {
        Say("found config unread");
        return;
    }
    const Ipv4 ip = settings.DeviceIp;
    Say("found config " + std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 255) + "." +
        std::to_string((ip >> 8) & 255) + "." + std::to_string(ip & 255));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || !sys::CreateProgramHeap(1 << 20)) {
        std::fprintf(stderr, "usage: pelorin-version-writer FIRST COUNT\n");
        return 2;
    }
    const unsigned long first = std::strtoul(argv[1], nullptr, 10);
    const unsigned long count = std::strtoul(argv[2], nullptr, 10);
    SayWhatARestartFinds();
    Say("writing");
    const uint64_t deadline = sys::MonotonicMs() + 30000;
    for (unsigned long version = first; version < first + count && sys::MonotonicMs() < deadline; ++version) {
        const std::string number = std::to_string(version);
        const std::string frame = FrameOf(version);
        if (!SaveCommentary(kFrame, TextsOf(version))) {
            Say("commentary failed " + number);
            return 1;
        }
        Say("commentary " + number);
        if (StoreFileReplacing(kFrame, reinterpret_cast<const uint8_t*>(frame.data()), frame.size()) !=
            StoreResult::Stored) {
            Say("frame failed " + number);
            return 1;
        }
        Say("frame " + number);
        if (!WriteConfiguration(SettingsOf(version))) {
            Say("config failed " + number);
            return 1;
        }
        Say("config " + number);
    }
    return 0;
}
