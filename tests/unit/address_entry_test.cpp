// The addresses the detector's address dialog takes and refuses, at the edges of the ranges
// the end-to-end scenarios try inside.
#include <gtest/gtest.h>

#include "settings/address_entry.h"

namespace {

// The control's value of four fields, as MAKEIPADDRESS builds it.
uint32_t Fields(uint32_t a, uint32_t b, uint32_t c, uint32_t d) { return a << 24 | b << 16 | c << 8 | d; }

TEST(AddressEntry, OnlyAWholeUsableAddressIsAccepted) {
    EXPECT_EQ(CheckEnteredAddress(4, Fields(1, 0, 0, 0)), AddressVerdict::Accepted);
    EXPECT_EQ(CheckEnteredAddress(4, Fields(223, 255, 255, 254)), AddressVerdict::Accepted);
    EXPECT_EQ(CheckEnteredAddress(4, Fields(240, 0, 0, 1)), AddressVerdict::Accepted);
    // A blank field reads as 0: 10.0.<blank>.5 is not 10.0.0.5.
    EXPECT_EQ(CheckEnteredAddress(3, Fields(10, 0, 0, 5)), AddressVerdict::Incomplete);
    EXPECT_EQ(CheckEnteredAddress(0, 0), AddressVerdict::Incomplete);
    EXPECT_EQ(CheckEnteredAddress(4, Fields(239, 255, 255, 255)), AddressVerdict::Unusable);
}

}  // namespace
