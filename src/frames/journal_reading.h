// The journal's reading on a thread of its own: the frames folder listed, then the commentaries
// read one after another. The window takes what has come whenever it likes, so that it never
// waits for the disk (listing 10,000 frames alone takes Wine a tenth of a second).
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "frames/journal_rows.h"

class JournalReading {
public:
    // Starts reading the frames folder `folder` (ending in a backslash).
    JournalReading(const std::u16string& folder, const JournalStateTexts& states);
    // Stops the reading and waits for it (at most the one file being read).
    ~JournalReading();
    JournalReading(const JournalReading&) = delete;
    JournalReading& operator=(const JournalReading&) = delete;

    enum class News {
        None,    // nothing new
        Listed,  // the folder is listed: `rows` holds its rows now, none read
        Read,    // further rows of `rows` are read
    };
    // Hands over what has come since the last call.
    News Take(JournalRows* rows);
    // Whether everything read has been taken: the folder listed and every commentary read, or
    // the reading stopped.
    bool Over();
    // Stops the reading once the folder is listed, and waits for it; what was read before is
    // still handed over by Take.
    void Stop();

private:
    void Run();

    const std::u16string folder_;
    const JournalStateTexts states_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;  // guards what follows
    bool listed_ = false;
    bool listingTaken_ = false;
    bool ended_ = false;
    JournalRows listing_;
    std::vector<std::pair<size_t, JournalRow>> read_;  // rows read and not taken, by index
    std::thread thread_;  // last: started once everything above is there
};
