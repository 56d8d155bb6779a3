#include "device/device_dialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>

#include "device/guid_text.h"
#include "device/stored_device.h"
#include "platform/profile.h"
#include "support/picture_files.h"

namespace orix {
namespace {

constexpr int32_t kEnter = '\r', kEscape = 27, kDown = (1 << 30) | 81;

DriverGuid Guid(uint32_t n) {
    DriverGuid g;
    g.data1 = n;
    g.data4[7] = static_cast<uint8_t>(n);
    return g;
}

std::vector<DisplayDriverInfo> ThreeDrivers() {
    std::vector<DisplayDriverInfo> drivers(3);
    drivers[0].description = "Primary Display Driver";
    drivers[1].guid = Guid(0xA);
    drivers[1].description = "Zeta renderer";  // enumeration order, not sorted
    drivers[2].guid = Guid(0xB);
    drivers[2].description = "Alpha renderer";
    return drivers;
}

DialogInput Key(int32_t key) {
    return {DialogInput::Key, key};
}

// Each test has a fresh profile file of its own.
class DeviceDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("ORIX_TEST_DIALOG_ON_DISPLAY")) setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("ORIX_PROFILE", dir_.File("profile.ini").c_str(), 1);
    }
    void TearDown() override { SetDialogInputScript({}); }
    std::string Stored() { return GetProfileString("Orix Config", "Default DirectDraw GUID", ""); }

    test::PictureTempDir dir_;
    test::MessageCapture capture_;
};

TEST_F(DeviceDialogTest, TableFollowsEnumerationOrderAndTheStoredDriverIsPreselected) {
    DeviceDialog dialog(nullptr, ThreeDrivers);
    EXPECT_EQ(dialog.Initialize(), 0);  // nothing stored: the first item
    ASSERT_EQ(dialog.Items().size(), 3u);
    EXPECT_EQ(dialog.Items()[1], "Zeta renderer");
    EXPECT_TRUE(dialog.Identifiers()[0].IsZero());
    EXPECT_EQ(dialog.Identifiers()[2], Guid(0xB));
    EXPECT_EQ(dialog.Accept(-1), 0);
    EXPECT_EQ(dialog.Accept(3), 0);
    EXPECT_EQ(Stored(), "");
    EXPECT_EQ(dialog.Accept(2), 1);
    EXPECT_EQ(Stored(), GuidToText(Guid(0xB)));
    EXPECT_EQ(dialog.Initialize(), 2);
    EXPECT_EQ(dialog.Selection(), Guid(0xB));
    // A driver reported without an identifier gets the all-zero one.
    EXPECT_TRUE(dialog.AddDriver(nullptr, "Another", "drv"));
    EXPECT_TRUE(dialog.Identifiers()[3].IsZero());

    // The primary driver is stored as 32 zeros and preselected the same way.
    ASSERT_TRUE(WriteStoredDeviceGuid(DriverGuid()));
    EXPECT_EQ(Stored(), std::string(32, '0'));
    EXPECT_EQ(dialog.Initialize(), 0);

    // A stored driver that is gone leaves the first item selected.
    ASSERT_TRUE(WriteStoredDeviceGuid(Guid(0x77)));
    EXPECT_EQ(dialog.Initialize(), 0);

    // The same identifier twice: the last one wins.
    ASSERT_TRUE(WriteStoredDeviceGuid(Guid(0xA)));
    DeviceDialog twice(nullptr, [] {
        auto d = ThreeDrivers();
        d.push_back(d[1]);
        return d;
    });
    EXPECT_EQ(twice.Initialize(), 3);

    DeviceDialog none(nullptr, [] { return std::vector<DisplayDriverInfo>(); });
    EXPECT_EQ(none.Initialize(), -1);
}

TEST_F(DeviceDialogTest, StartUpAsksOnlyWhenNothingIsStoredAndUsesAChoiceItCannotStore) {
    // The second start finds the choice stored, and asks no more (a script left for it would
    // cancel); with nothing stored, a cancelled dialog leaves the identifier alone.
    DriverGuid guid;
    SetDialogInputScript({Key(kDown), Key(kDown), Key(kEnter)});
    DeviceChoice first = ObtainDeviceGuid(nullptr, &guid, ThreeDrivers);
    if (first == DeviceChoice::NoDialog) GTEST_SKIP() << "no window for the dialog";
    ASSERT_EQ(first, DeviceChoice::Chosen);
    EXPECT_EQ(guid, Guid(0xB));
    EXPECT_EQ(Stored(), GuidToText(Guid(0xB)));
    SetDialogInputScript({Key(kEscape)});
    DriverGuid again;
    EXPECT_EQ(ObtainDeviceGuid(nullptr, &again, ThreeDrivers), DeviceChoice::Stored);
    EXPECT_EQ(again, Guid(0xB));

    ASSERT_TRUE(ForgetStoredDevice());
    SetDialogInputScript({Key(kEscape)});
    DriverGuid untouched = Guid(9);
    EXPECT_EQ(ObtainDeviceGuid(nullptr, &untouched, ThreeDrivers), DeviceChoice::Cancelled);
    EXPECT_EQ(untouched, Guid(9));
    EXPECT_EQ(Stored(), "");

    // A choice that cannot be stored (a plain file where the profile's folder should be) is
    // still used, and said.
    std::ofstream(dir_.File("blocked")) << "x";
    setenv("ORIX_PROFILE", dir_.File("blocked/profile.ini").c_str(), 1);
    SetDialogInputScript({Key(kDown), Key(kEnter)});
    EXPECT_EQ(ObtainDeviceGuid(nullptr, &guid, ThreeDrivers), DeviceChoice::Chosen);
    EXPECT_EQ(guid, Guid(0xA));
    ASSERT_EQ(capture_.Messages().size(), 1u);
    EXPECT_NE(capture_.Messages()[0].text.find("could not store"), std::string::npos);
}

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
        ASSERT_EQ(GuidFromText(GuidToText(g)), g) << GuidToText(g);
    }
}

}  // namespace
}  // namespace orix
