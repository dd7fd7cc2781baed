// The detector's address between the program and the IP address control, and the addresses
// the dialog refuses.
#include <gtest/gtest.h>

#include "core/ip_address.h"
#include "core/messages.h"
#include "settings/address_entry.h"

namespace {

// The control's value of four fields, as MAKEIPADDRESS builds it.
uint32_t Fields(uint32_t a, uint32_t b, uint32_t c, uint32_t d) { return a << 24 | b << 16 | c << 8 | d; }

TEST(AddressEntry, TheControlShowsTheAddressFieldForField) {
    EXPECT_EQ(AddressControlValue(ParseIpAddress("192.168.0.100")), Fields(192, 168, 0, 100));
    EXPECT_EQ(AddressControlValue(ParseIpAddress("127.0.0.9")), Fields(127, 0, 0, 9));
    EXPECT_EQ(FormatIpAddress(DeviceIpFromControlValue(Fields(10, 0, 0, 5))), "10.0.0.5");
    for (const char* text : {"192.168.0.100", "1.2.3.4", "10.20.30.40"})
        EXPECT_EQ(FormatIpAddress(DeviceIpFromControlValue(AddressControlValue(ParseIpAddress(text)))), text);
}

TEST(AddressEntry, OnlyAWholeUsableAddressIsAccepted) {
    EXPECT_EQ(CheckEnteredAddress(4, Fields(10, 0, 0, 5)), AddressVerdict::Accepted);
    EXPECT_EQ(CheckEnteredAddress(4, Fields(1, 0, 0, 0)), AddressVerdict::Accepted);
    EXPECT_EQ(CheckEnteredAddress(4, Fields(223, 255, 255, 254)), AddressVerdict::Accepted);
    EXPECT_EQ(CheckEnteredAddress(4, Fields(240, 0, 0, 1)), AddressVerdict::Accepted);
    // A blank field reads as 0: 10.0.<blank>.5 is not 10.0.0.5.
    EXPECT_EQ(CheckEnteredAddress(3, Fields(10, 0, 0, 5)), AddressVerdict::Incomplete);
    EXPECT_EQ(CheckEnteredAddress(0, 0), AddressVerdict::Incomplete);
    EXPECT_EQ(CheckEnteredAddress(4, 0), AddressVerdict::Unusable);
    EXPECT_EQ(CheckEnteredAddress(4, 0xFFFFFFFF), AddressVerdict::Unusable);
    EXPECT_EQ(CheckEnteredAddress(4, Fields(224, 0, 0, 1)), AddressVerdict::Unusable);
    EXPECT_EQ(CheckEnteredAddress(4, Fields(239, 255, 255, 255)), AddressVerdict::Unusable);
}

class AddressRefusalText : public ::testing::Test {
protected:
    void TearDown() override { SelectLanguageTexts(0); }
};

TEST_F(AddressRefusalText, SaysWhatIsWrongInTheCurrentLanguage) {
    SelectLanguageTexts(1);
    EXPECT_EQ(AddressRefusal(AddressVerdict::Incomplete, Fields(10, 0, 0, 5)), u"Fill in all four numbers of the address.");
    EXPECT_EQ(AddressRefusal(AddressVerdict::Unusable, Fields(224, 0, 0, 1)),
              u"The address 224.0.0.1 cannot be the apparatus address.");
    EXPECT_EQ(AddressRefusal(AddressVerdict::Accepted, Fields(10, 0, 0, 5)), u"");
    SelectLanguageTexts(0);
    EXPECT_EQ(AddressRefusal(AddressVerdict::Unusable, 0), u"Адрес 0.0.0.0 не может быть адресом прибора.");
}

}  // namespace
