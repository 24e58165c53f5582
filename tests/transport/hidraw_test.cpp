// The hidraw layer where no HID device is at hand: its open and its
// failures on a node that is not a HID device.

#include "debugif/hid_device.h"
#include "debugif/hid_discovery.h"
#include "platform/hidraw.h"
#include "platform/os_error.h"
#include "tests/transport/test_support.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

TEST(HidrawTest, OpenIsExclusiveAndFailsCleanlyOnOtherNodes) {
    transport_test::ScratchDir scratch;
    const std::string node = scratch.path() + "/hidraw9";
    std::ofstream(node) << "not a device";
    platform::HidrawOs os;
    int32_t error = -1;

    EXPECT_EQ(os.Open(scratch.path() + "/missing", &error), nullptr);
    EXPECT_EQ(error, platform::kErrorFileNotFound);

    std::unique_ptr<platform::HidPort> port = os.Open(node, &error);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(error, platform::kErrorSuccess);
    // Held: a second open is a sharing violation, which names "in use".
    EXPECT_EQ(os.Open(node, &error), nullptr);
    EXPECT_EQ(error, platform::kErrorSharingViolation);

    uint16_t vendor = 0;
    uint16_t product = 0;
    EXPECT_FALSE(port->GetRawInfo(&vendor, &product));
    std::vector<uint8_t> descriptor;
    EXPECT_FALSE(port->GetReportDescriptor(&descriptor));
    uint8_t feature[4] = {0xC8, 0x24, 0, 0};
    EXPECT_EQ(port->SetFeature(feature, sizeof feature, 500), platform::HidIo::kFailure);
    EXPECT_EQ(port->GetFeature(feature, sizeof feature, 500), platform::HidIo::kFailure);

    // Not a HID device, so no adapter: the matching open lets it go again.
    port.reset();
    debugif::HidTransport.os = &os;
    EXPECT_EQ(
        debugif::OpenHidMatching(node, debugif::kUifVendorId, debugif::kUifHidProductId, &error),
        nullptr);
    EXPECT_NE(os.Open(node, &error), nullptr);
    debugif::HidTransport.Reset();
}

} // namespace
