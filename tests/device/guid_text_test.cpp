#include "device/guid_text.h"

#include <gtest/gtest.h>

#include <random>

namespace orix {
namespace {

// Fields most significant first in upper case; random identifiers survive the round trip.
TEST(GuidText, WritesFieldsInOrderAndRoundTrips) {
    DriverGuid g;
    g.data1 = 0x12345678;
    g.data2 = 0x9ABC;
    g.data3 = 0xDEF0;
    for (int i = 0; i < 8; ++i) g.data4[i] = static_cast<uint8_t>(i + 1);
    EXPECT_EQ(GuidToText(g), "123456789ABCDEF00102030405060708");
    std::mt19937 rng(1234);
    for (int n = 0; n < 2000; ++n) {
        g.data1 = rng();
        g.data2 = static_cast<uint16_t>(rng());
        g.data3 = static_cast<uint16_t>(rng());
        for (auto& b : g.data4) b = static_cast<uint8_t>(rng());
        std::string text = GuidToText(g);
        ASSERT_EQ(text.size(), kGuidTextLength);
        ASSERT_EQ(text.find_first_not_of("0123456789ABCDEF"), std::string::npos) << text;
        ASSERT_EQ(GuidFromText(text), g) << text;
    }
}

}  // namespace
}  // namespace orix
