// The summary of what Write > Default settings did, where the end-to-end scenarios cannot
// reach: the largest length a transfer carries, and the detector's own words.
#include <gtest/gtest.h>

#include "core/messages.h"
#include "settings/settings_transfer.h"
#include "test_support.h"

namespace {

DefaultFileOutcome Outcome(const char16_t* name, DefaultFileState state, uint32_t length = 0,
                           const std::string& message = "") {
    DefaultFileOutcome o;
    o.name = name;
    o.state = state;
    o.length = length;
    o.deviceMessage = message;
    return o;
}

TEST(WriteSummary, TheLargestLengthAndTheDetectorsWordsOnALineOfTheirOwn) {
    SelectLanguageTexts(1);
    EXPECT_EQ(WriteSummaryText({Outcome(u"fds.sdb", DefaultFileState::Sent, 0),
                                Outcome(u"fdc.sdb", DefaultFileState::Sent, 4294967295u)}),
              u"file fds.sdb - sent, 0 bytes\nfile fdc.sdb - sent, 4294967295 bytes");
    SelectLanguageTexts(0);
    // The detector's words are ANSI bytes (Windows-1251 here); line breaks in them are not
    // allowed to break the summary's lines.
    EXPECT_EQ(WriteSummaryText({Outcome(u"fds.sdb", DefaultFileState::Sent, 1100),
                                Outcome(u"fdc.sdb", DefaultFileState::DeviceError, 0, "\xCD\xE5\xF2\r\nmesta")}),
              u"файл fds.sdb - отослан, 1100 байт\nфайл fdc.sdb - ответ прибора: Нет  mesta");
}

}  // namespace
