#include "gui/project/project_fingerprint.h"
#include "platform/volume_id.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using namespace gui;

class PcFingerprintTest : public ::testing::Test {
protected:
    void TearDown() override {
        PcVolumeSourceSet(nullptr);
        platform::SetVolumeSource(nullptr);
    }

    // Installs a source over a table of path -> volume; paths not in it are
    // missing.
    void UseVolumes(std::map<std::string, PcVolume> volumes) {
        PcVolumeSourceSet([volumes](const std::string& path, PcVolume& volume) {
            const auto it = volumes.find(path);
            if (it == volumes.end()) {
                return false;
            }
            volume = it->second;
            return true;
        });
    }
};

TEST_F(PcFingerprintTest, UuidDigitsFoldAsBigEndianWords) {
    struct Case {
        const char* uuid;
        uint32_t value;
    } cases[] = {
        {"1234-ABCD", 0x1234ABCDu},                      // FAT
        {"0123456789ABCDEF", 0x01234567u ^ 0x89ABCDEFu}, // NTFS
        {"c0ffee00-1111-2222-3333-444455556666",
         0xC0FFEE00u ^ 0x11112222u ^ 0x33334444u ^ 0x55556666u},
        {"abcdef0123", 0xABCDEF01u ^ 0x23000000u}, // a short last word keeps its digits high
        {"", 0u},
        {"--", 0u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PcUuidFold(c.uuid), c.value) << c.uuid;
    }
}

TEST_F(PcFingerprintTest, ValuesXorOncePerFilesystemSkippingZeroAndMissing) {
    UseVolumes({{"/", {1, 0x11110000u}}, {"/boot", {2, 0x00002222u}}, {"/home", {3, 0x0F0F0F0Fu}}});
    EXPECT_EQ(PcFingerprint(), 0x11110000u ^ 0x00002222u ^ 0x0F0F0F0Fu);

    // "/home" on the root filesystem counts once, not twice (which would
    // cancel it).
    UseVolumes({{"/", {1, 0x11110000u}}, {"/boot", {2, 0x00002222u}}, {"/home", {1, 0x11110000u}}});
    EXPECT_EQ(PcFingerprint(), 0x11112222u);

    // A zero value and a missing path change nothing.
    UseVolumes({{"/", {1, 0x12345678u}}, {"/boot", {2, 0u}}});
    EXPECT_EQ(PcFingerprint(), 0x12345678u);

    UseVolumes({});
    EXPECT_EQ(PcFingerprint(), 0u);
}

TEST_F(PcFingerprintTest, TextIsUpperAndLowerHalfInHex) {
    EXPECT_EQ(PcFingerprintText(0x1234ABCDu), "1234-ABCD");
    EXPECT_EQ(PcFingerprintText(0x000F00A0u), "000F-00A0");
    EXPECT_EQ(PcFingerprintText(0u), "0000-0000");
}

TEST_F(PcFingerprintTest, AVolumeIsItsUuidElseItsFilesystemIdElseZero) {
    class TableVolumes : public platform::VolumeSource {
    public:
        std::map<std::string, platform::VolumeIdentity> table;
        bool Identify(const std::string& path, platform::VolumeIdentity& identity) override {
            const auto it = table.find(path);
            if (it == table.end()) {
                return false;
            }
            identity = it->second;
            return true;
        }
    } volumes;
    volumes.table["/uuid"] = {7, "1234-ABCD", true, 0x0000000500000003ull};
    volumes.table["/fsid"] = {8, "", true, 0x1111000000002222ull};
    volumes.table["/none"] = {9, "", false, 0};
    platform::SetVolumeSource(&volumes);

    struct Case {
        const char* path;
        uint64_t device;
        uint32_t value;
    } cases[] = {
        {"/uuid", 7, 0x1234ABCDu}, // the UUID wins over the filesystem id
        {"/fsid", 8, 0x11112222u}, // the id's two halves XORed
        {"/none", 9, 0u},
    };
    for (const Case& c : cases) {
        PcVolume volume{1, 1};
        ASSERT_TRUE(PcVolumeOfPath(c.path, volume)) << c.path;
        EXPECT_EQ(volume.device, c.device) << c.path;
        EXPECT_EQ(volume.value, c.value) << c.path;
    }
    PcVolume volume;
    EXPECT_FALSE(PcVolumeOfPath("/missing", volume));
}

TEST_F(PcFingerprintTest, ThisMachineGivesTheSameNumberTwice) {
    PcVolume root;
    ASSERT_TRUE(PcVolumeOfPath("/", root));
    EXPECT_FALSE(PcVolumeOfPath("/no/such/path/here", root));
    EXPECT_EQ(PcFingerprint(), PcFingerprint());
}

} // namespace
