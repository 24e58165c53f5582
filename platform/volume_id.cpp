#include "platform/volume_id.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace platform {
namespace {

// The name of the entry in byUuidDir whose block device is device, or empty.
std::string UuidOfDevice(dev_t device, const std::string& byUuidDir) {
    DIR* dir = ::opendir(byUuidDir.c_str());
    if (dir == nullptr) {
        return {};
    }
    std::string found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        struct stat st {};
        if (::stat((byUuidDir + "/" + name).c_str(), &st) == 0 && S_ISBLK(st.st_mode) &&
            st.st_rdev == device) {
            found = name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

class SystemVolumeSource final : public VolumeSource {
public:
    bool Identify(const std::string& path, VolumeIdentity& identity) override {
        return VolumeIdentifyIn(path, identity, kByUuidDir);
    }
};

SystemVolumeSource systemVolumes;
VolumeSource* current = &systemVolumes;

} // namespace

bool VolumeIdentifyIn(const std::string& path, VolumeIdentity& identity,
                      const std::string& byUuidDir) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return false;
    }
    identity = VolumeIdentity{};
    identity.device = static_cast<uint64_t>(st.st_dev);
    identity.uuid = UuidOfDevice(st.st_dev, byUuidDir);
    struct statvfs vfs {};
    if (::statvfs(path.c_str(), &vfs) == 0) {
        identity.hasFsid = true;
        identity.fsid = static_cast<uint64_t>(vfs.f_fsid);
    }
    return true;
}

VolumeSource& SystemVolumes() {
    return systemVolumes;
}

void SetVolumeSource(VolumeSource* source) {
    current = source ? source : &systemVolumes;
}

bool VolumeIdentify(const std::string& path, VolumeIdentity& identity) {
    return current->Identify(path, identity);
}

} // namespace platform
