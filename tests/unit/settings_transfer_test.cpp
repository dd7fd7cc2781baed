// The summary of what Write > Default settings did.
#include <gtest/gtest.h>

#include "core/messages.h"
#include "settings/settings_transfer.h"
#include "test_support.h"

namespace {

class WriteSummary : public ::testing::Test {
protected:
    void TearDown() override { SelectLanguageTexts(0); }

    static DefaultFileOutcome Outcome(const char16_t* name, DefaultFileState state, uint32_t length = 0,
                                      const std::string& message = "") {
        DefaultFileOutcome o;
        o.name = name;
        o.state = state;
        o.length = length;
        o.deviceMessage = message;
        return o;
    }
};

TEST_F(WriteSummary, OneLinePerFileInTheCurrentLanguage) {
    SelectLanguageTexts(1);
    EXPECT_EQ(WriteSummaryText({Outcome(u"fds.sdb", DefaultFileState::Sent, 0),
                                Outcome(u"fdc.sdb", DefaultFileState::Sent, 4294967295u)}),
              u"file fds.sdb - sent, 0 bytes\nfile fdc.sdb - sent, 4294967295 bytes");
    EXPECT_EQ(WriteSummaryText({Outcome(u"fds.sdb", DefaultFileState::NotFound),
                                Outcome(u"fdc.sdb", DefaultFileState::NotReadable)}),
              u"file fds.sdb - not in the Default folder\nfile fdc.sdb - cannot be read, not sent");
    EXPECT_EQ(WriteSummaryText({Outcome(u"fds.sdb", DefaultFileState::NoAnswer),
                                Outcome(u"fdc.sdb", DefaultFileState::DeviceError, 0, "Disk full")}),
              u"file fds.sdb - the apparatus does not answer\nfile fdc.sdb - the apparatus answered: Disk full");

    SelectLanguageTexts(0);
    // The detector's words are ANSI bytes (Windows-1251 here); line breaks in them are not
    // allowed to break the summary's lines.
    EXPECT_EQ(WriteSummaryText({Outcome(u"fds.sdb", DefaultFileState::Sent, 1100),
                                Outcome(u"fdc.sdb", DefaultFileState::DeviceError, 0, "\xCD\xE5\xF2\r\nmesta")}),
              u"файл fds.sdb - отослан, 1100 байт\nфайл fdc.sdb - ответ прибора: Нет  mesta");
    EXPECT_EQ(WriteSummaryText({Outcome(u"fds.sdb", DefaultFileState::NotFound)}), u"файл fds.sdb - нет в папке Default");
}

}  // namespace
