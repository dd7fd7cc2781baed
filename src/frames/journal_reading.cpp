// The journal's reading on a thread of its own.
#include "frames/journal_reading.h"

#include "core/frame_list.h"
#include "ui/locale_text.h"

JournalReading::JournalReading(const std::u16string& folder, const JournalStateTexts& states)
    : folder_(folder), states_(states), thread_([this] { Run(); }) {}

JournalReading::~JournalReading() { Stop(); }

void JournalReading::Run() {
    const std::vector<std::u16string> names = ListMatchingFiles(folder_ + u"*.png");
    {
        JournalRows rows = StartJournalRows(folder_, names, states_, ui::FoldForUser);
        const std::lock_guard<std::mutex> lock(mutex_);
        listing_ = std::move(rows);
        listed_ = true;
    }
    for (size_t i = 0; i < names.size() && !stop_; ++i) {
        JournalRow row = StartJournalRow(names[i]);
        ReadJournalRow(&row, folder_, states_, ui::FoldForUser);
        const std::lock_guard<std::mutex> lock(mutex_);
        read_.emplace_back(i, std::move(row));
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
}

JournalReading::News JournalReading::Take(JournalRows* rows) {
    const std::lock_guard<std::mutex> lock(mutex_);
    News news = News::None;
    if (listed_ && !listingTaken_) {
        *rows = std::move(listing_);
        listingTaken_ = true;
        news = News::Listed;
    }
    if (!listingTaken_) return news;
    for (auto& [index, row] : read_) {
        if (index >= rows->rows.size()) continue;
        rows->rows[index] = std::move(row);
        rows->read = index + 1;
        if (news == News::None) news = News::Read;
    }
    read_.clear();
    return news;
}

bool JournalReading::Over() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return ended_ && listingTaken_ && read_.empty();
}

void JournalReading::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}
