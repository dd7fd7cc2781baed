// Addresses as the configuration file writes them, read the way inet_addr reads them.
#include <gtest/gtest.h>

#include "core/ip_address.h"

namespace {

TEST(IpAddress, DottedDecimalBothWays) {
    EXPECT_EQ(ParseIpAddress("192.168.0.100"), 0xC0A80064u);
    EXPECT_EQ(FormatIpAddress(0xC0A80064u), "192.168.0.100");
    EXPECT_EQ(FormatIpAddress(0), "0.0.0.0");
    EXPECT_EQ(FormatIpAddress(0xFFFFFFFFu), "255.255.255.255");
    for (uint32_t ip : {0x7F000001u, 0x0A0000C7u, 0x01020304u}) EXPECT_EQ(ParseIpAddress(FormatIpAddress(ip).c_str()), ip);
}

TEST(IpAddress, ShortFormsAndOtherBasesAsInetAddr) {
    EXPECT_EQ(ParseIpAddress("127.1"), 0x7F000001u);
    EXPECT_EQ(ParseIpAddress("10.0.300"), 0x0A00012Cu);
    EXPECT_EQ(ParseIpAddress("0x7f.0.0.1"), 0x7F000001u);
    EXPECT_EQ(ParseIpAddress("010.0.0.1"), 0x08000001u);
    EXPECT_EQ(ParseIpAddress("3232235620"), 0xC0A80064u);
    EXPECT_EQ(ParseIpAddress("0"), 0u);
}

TEST(IpAddress, TheAddressEndsAtABlank) {
    EXPECT_EQ(ParseIpAddress("10.0.0.5 ; lab"), 0x0A000005u);
    EXPECT_EQ(ParseIpAddress("10.0.0.5\t"), 0x0A000005u);
}

TEST(IpAddress, AnythingElseIsTheAllOnesAddress) {
    for (const char* text : {"", "abc", "1.2.3.4.5", "256.0.0.1", "1.2.3.256", "1..2.3", "1.2.3.", "1.2.3.4x",
                             "09.1.1.1", "99999999999", "1.16777216"})
        EXPECT_EQ(ParseIpAddress(text), kNoAddress) << text;
}

}  // namespace
