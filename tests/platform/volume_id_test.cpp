// The filesystem identity of a path, and the replaceable source behind it.

#include "platform/volume_id.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

TEST(VolumeIdTest, ThisMachineNamesTheFilesystemOfAnExistingPathOnly) {
    platform::VolumeIdentity root;
    ASSERT_TRUE(platform::VolumeIdentify("/", root));
    platform::VolumeIdentity again;
    ASSERT_TRUE(platform::VolumeIdentify("/", again));
    EXPECT_EQ(root.device, again.device);
    EXPECT_EQ(root.uuid, again.uuid);
    EXPECT_EQ(root.fsid, again.fsid);

    platform::VolumeIdentity missing;
    EXPECT_FALSE(platform::VolumeIdentify("/no/such/path/here", missing));

    // Without a by-uuid entry for its device the filesystem has no UUID, but
    // statvfs still answers.
    testsupport::TempDir empty;
    platform::VolumeIdentity noUuid;
    ASSERT_TRUE(platform::VolumeIdentifyIn("/", noUuid, empty.path().string()));
    EXPECT_EQ(noUuid.device, root.device);
    EXPECT_TRUE(noUuid.uuid.empty());
    EXPECT_TRUE(noUuid.hasFsid);
}

TEST(VolumeIdTest, AnInstalledSourceAnswersUntilReset) {
    class OneVolume : public platform::VolumeSource {
    public:
        bool Identify(const std::string& path, platform::VolumeIdentity& identity) override {
            if (path != "/data") {
                return false;
            }
            identity.device = 42;
            identity.uuid = "1234-ABCD";
            return true;
        }
    } source;
    platform::SetVolumeSource(&source);
    platform::VolumeIdentity identity;
    EXPECT_TRUE(platform::VolumeIdentify("/data", identity));
    EXPECT_EQ(identity.device, 42u);
    EXPECT_EQ(identity.uuid, "1234-ABCD");
    EXPECT_FALSE(platform::VolumeIdentify("/", identity));

    platform::SetVolumeSource(nullptr);
    EXPECT_TRUE(platform::VolumeIdentify("/", identity));
}

} // namespace
