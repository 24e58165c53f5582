// The list of USB interfaces: adapter COM ports first, then HID adapters,
// each free or in use; an open connection stays as it is while the list is
// built, and is listed in use.

#include "core/debug_lib.h"
#include "debugif/api_state.h"
#include "platform/serial_port.h"
#include "tests/debugapi/debugapi_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace debugapi_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

using Listing = std::vector<std::pair<std::string, int32_t>>;

// Builds the list and reads every entry; fails the test on an error.
Listing List(const core::DebugApi& api) {
    Listing out;
    int32_t count = -1;
    EXPECT_EQ(api.GetNumberOfUsbIfs(&count), 0);
    for (int32_t i = 0; i < count; ++i) {
        char* name = nullptr;
        int32_t status = -1;
        EXPECT_EQ(api.GetNameOfUsbIf(i, &name, &status), 0);
        out.emplace_back(name != nullptr ? name : "(null)", status);
    }
    char* name = nullptr;
    int32_t status = 0;
    EXPECT_EQ(api.GetNameOfUsbIf(count, &name, &status), -1) << "one past the end";
    return out;
}

TEST(UsbListTest, ListsEveryAdapterFreeWhileNoneIsOpen) {
    ApiBench b(Route::kInProcessPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    const Listing first = List(b.api());
    EXPECT_THAT(first, ElementsAre(Pair("COM150", 0), Pair("HID0001", 0)));
    EXPECT_EQ(List(b.api()), first);
    EXPECT_EQ(debugif::Api.InterfaceOpen, 0) << "the trials leave nothing open";
    EXPECT_THAT(b.bench.serial.Requests(), IsEmpty());
    EXPECT_THAT(b.bench.hid.Requests(), IsEmpty());
}

TEST(UsbListTest, TheOpenConnectionIsListedInUseAndKeepsWorking) {
    for (const Route route : {Route::kInProcessPty, Route::kInProcessHid}) {
        SCOPED_TRACE(RouteName(route));
        ApiBench b(route, "149");
        ASSERT_TRUE(b.ok()) << b.error();
        ASSERT_EQ(b.Connect(), 0) << b.LastError();
        const bool hid = route == Route::kInProcessHid;
        const Listing expected = {{"COM150", hid ? 0 : 1}, {"HID0001", hid ? 1 : 0}};
        EXPECT_EQ(List(b.api()), expected);
        EXPECT_EQ(List(b.api()), expected) << "the same list again";
        EXPECT_THAT(b.bench.serial.Requests(), IsEmpty());
        EXPECT_THAT(b.bench.hid.Requests(), IsEmpty());

        char bytes[4] = {};
        EXPECT_EQ(b.api().Memory(0x1100, bytes, 4, 1), 0) << b.LastError();
        EXPECT_EQ(b.emu().Requests().size(), 1u) << "the connection still answers";
        EXPECT_EQ(b.api().Close(1), 0);
        EXPECT_THAT(List(b.api()), ElementsAre(Pair("COM150", 0), Pair("HID0001", 0)));
    }
}

TEST(UsbListTest, AnAdapterHeldByAnotherProgramIsListedInUse) {
    ApiBench b(Route::kInProcessPty, "149", {.hid = false});
    ASSERT_TRUE(b.ok()) << b.error();
    platform::SerialPort other;
    int32_t error = 0;
    ASSERT_TRUE(other.Open(b.bench.SlavePath(), &error));
    EXPECT_THAT(List(b.api()), ElementsAre(Pair("COM150", 1)));
    other.Close();
    EXPECT_THAT(List(b.api()), ElementsAre(Pair("COM150", 0)));
}

TEST(UsbListTest, APortThatIsGoneIsNotListed) {
    ApiBench b(Route::kInProcessPty, "149", {.hid = false});
    ASSERT_TRUE(b.ok()) << b.error();
    platform::DeviceRecord gone;
    gone.interface_path = b.bench.ScratchPath() + "/no-such-tty";
    gone.hardware_id = "UMPPORT\\MSP_FET430UIF_COM";
    gone.friendly_name = "MSP-FET430UIF (COM151)";
    b.bench.setup.ports.insert(b.bench.setup.ports.begin(), gone);
    EXPECT_THAT(List(b.api()), ElementsAre(Pair("COM150", 0)));
}

// A machine whose device list cannot be read at all (no sysfs, say) has
// no adapter to list: the build ends at once instead of asking index
// after index for ever.
TEST(UsbListTest, ADeviceListThatCannotBeReadGivesAnEmptyList) {
    ApiBench b(Route::kInProcessPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    b.bench.setup.list_fails = true;
    EXPECT_THAT(List(b.api()), IsEmpty());
    EXPECT_EQ(debugif::Api.InterfaceOpen, 0);
}

TEST(UsbListTest, TheListEndsAtAHundred) {
    ApiBench b(Route::kInProcessPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    platform::DeviceRecord port = b.bench.setup.ports.at(0);
    for (int n = 1; n <= 120; ++n) {
        port.friendly_name = "MSP-FET430UIF (COM" + std::to_string(n) + ")";
        b.bench.setup.ports.push_back(port);
    }
    const Listing listing = List(b.api());
    ASSERT_EQ(listing.size(), 100u);
    EXPECT_EQ(listing.front().first, "COM150");
    EXPECT_EQ(listing.back().first, "COM99") << "no room left for the HID adapter";
}

TEST(UsbListTest, TheLibraryListsTheEmulatedAdapter) {
    ApiBench b(Route::kLibraryPty, "149");
    ASSERT_TRUE(b.ok()) << b.error();
    ASSERT_EQ(core::DebugLibLoad(), 1);
    auto find = [](const Listing& l) {
        for (const auto& e : l) {
            if (e.first == "COM150") {
                return e.second;
            }
        }
        return -1;
    };
    EXPECT_EQ(find(List(b.api())), 0);
    ASSERT_EQ(b.Connect(), 0) << b.LastError();
    EXPECT_EQ(find(List(b.api())), 1);
    char bytes[2] = {};
    EXPECT_EQ(b.api().Memory(0x1100, bytes, 2, 1), 0) << b.LastError();
}

} // namespace
} // namespace debugapi_test
