#include "gui/project/project_fingerprint.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cstdio>
#include <vector>

namespace gui {

namespace {

PcVolumeSource InstalledSource;

int32_t HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The UUID named by the by-uuid entry whose block device is device, or empty.
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

} // namespace

void PcVolumeSourceSet(PcVolumeSource source) {
    InstalledSource = std::move(source);
}

uint32_t PcUuidFold(std::string_view uuid) {
    uint32_t result = 0;
    uint32_t word = 0;
    int32_t digits = 0;
    for (const char c : uuid) {
        const int32_t d = HexDigit(c);
        if (d < 0) {
            continue;
        }
        word = (word << 4) | static_cast<uint32_t>(d);
        if (++digits == 8) {
            result ^= word;
            word = 0;
            digits = 0;
        }
    }
    if (digits > 0) {
        result ^= word << (4 * (8 - digits));
    }
    return result;
}

bool PcVolumeOfPath(const std::string& path, PcVolume& volume, const std::string& byUuidDir) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return false;
    }
    volume.device = static_cast<uint64_t>(st.st_dev);
    const std::string uuid = UuidOfDevice(st.st_dev, byUuidDir);
    if (!uuid.empty()) {
        volume.value = PcUuidFold(uuid);
        return true;
    }
    struct statvfs vfs {};
    if (::statvfs(path.c_str(), &vfs) != 0) {
        volume.value = 0;
        return true;
    }
    const uint64_t fsid = static_cast<uint64_t>(vfs.f_fsid);
    volume.value = static_cast<uint32_t>(fsid) ^ static_cast<uint32_t>(fsid >> 32);
    return true;
}

uint32_t PcFingerprint() {
    static const char* const kRoots[] = {"/", "/boot", "/home"};
    std::vector<uint64_t> seen;
    uint32_t result = 0;
    for (const char* root : kRoots) {
        PcVolume volume;
        const bool exists =
            InstalledSource ? InstalledSource(root, volume) : PcVolumeOfPath(root, volume);
        if (!exists) {
            continue;
        }
        bool repeated = false;
        for (const uint64_t d : seen) {
            repeated = repeated || d == volume.device;
        }
        if (repeated) {
            continue;
        }
        seen.push_back(volume.device);
        result ^= volume.value; // a zero value changes nothing
    }
    return result;
}

std::string PcFingerprintText(uint32_t fingerprint) {
    char text[16];
    std::snprintf(text, sizeof text, "%4.4X-%4.4X", fingerprint >> 16, fingerprint & 0xFFFF);
    return text;
}

} // namespace gui
