// The plain baseline of the journal's reading: 10,000 commentary files read with the program's
// reader, natively (no Wine), beside the journal's whole reading of its rows (the names parsed,
// the commentaries read, each row's search text made); each the median of 5 runs; and the memory
// the rows hold.
#include <malloc.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/frame_list.h"
#include "frames/journal_rows.h"
#include "mainwnd/commentary_file.h"

namespace {

constexpr int kFrames = 10000;
constexpr int kRuns = 5;

double Seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::u16string Text(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace

int JournalBench() {
    char folder[] = "/tmp/pelorin-journal-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    const std::u16string frames = Text(folder) + u"/";
    std::vector<std::u16string> paths;
    for (int i = 0; i < kFrames; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "%04d_%02d_%02d-%02d-%02d~%03d.png", 2020 + i / 2000, 1 + i / 200 % 10,
                      1 + i / 10 % 20, 8 + i % 10, i % 60, 1 + i % 100);
        const std::u16string path = frames + Text(name);
        paths.push_back(path);
        std::FILE* png = std::fopen((std::string(folder) + "/" + name).c_str(), "wb");
        if (!png) return 1;
        std::fputs("png", png);
        std::fclose(png);
        CommentaryTexts texts = {u"Труба Ду 219, шов " + Text(std::to_string(i % 40)), u"08.12.2026", u"Иванов И. И.",
                                 Text(std::to_string(i % 30)), u"Непровар в корне шва\r\nдлина 8 мм", u"ОП-17",
                                 u"трубопровод", Text(std::to_string(i)), u"сталь 20", u"8 мм", u"Непровар (Н)", u""};
        // Written plainly: the program's own writer makes each file durable first, which for
        // 10,000 files takes longer than the whole benchmark.
        const std::vector<uint8_t> bytes = EncodeCommentary(texts);
        std::FILE* dat = std::fopen((std::string(folder) + "/" + std::string(name, std::strlen(name) - 3) + "dat").c_str(), "wb");
        if (!dat || std::fwrite(bytes.data(), 1, bytes.size(), dat) != bytes.size()) return 1;
        std::fclose(dat);
    }

    std::vector<double> reads, rows;
    size_t read = 0, held = 0;
    for (int run = 0; run < kRuns; ++run) {
        double start = Seconds();
        for (const std::u16string& path : paths) read += LoadCommentary(path).state == CommentaryState::Read;
        reads.push_back(Seconds() - start);

        start = Seconds();
        FrameList list;
        list.Folder = frames;
        list.Rebuild();
        const JournalStateTexts states = {u"none", u"cannot be read"};
        const size_t before = mallinfo2().uordblks;
        JournalRows journal = StartJournalRows(list.Folder, list.Names, states, nullptr);
        ReadJournalRows(&journal, states, nullptr, UINT64_MAX);
        rows.push_back(Seconds() - start);
        held = mallinfo2().uordblks - before;
    }
    std::printf("\nThe journal's reading natively, %d frames each with its commentary file (median of %d runs)\n",
                kFrames, kRuns);
    std::printf("  the commentary files read with the program's reader: %.1f ms\n", Median(reads) * 1000);
    std::printf("  the journal's rows (the folder listed, the names parsed, the files read, the search texts): %.1f ms\n",
                Median(rows) * 1000);
    std::printf("  what the journal's rows hold: %.1f MB\n", static_cast<double>(held) / 1e6);
    const std::string cleanup = std::string("rm -rf '") + folder + "'";
    const bool removed = std::system(cleanup.c_str()) == 0;
    return read == static_cast<size_t>(kFrames) * kRuns && removed ? 0 : 1;
}
