#include "gui/project/project_fingerprint.h"

#include "core/number_parse.h"
#include "platform/volume_id.h"

#include <cstdio>
#include <vector>

namespace gui {

namespace {

PcVolumeSource InstalledSource;

} // namespace

void PcVolumeSourceSet(PcVolumeSource source) {
    InstalledSource = std::move(source);
}

uint32_t PcUuidFold(std::string_view uuid) {
    uint32_t result = 0;
    uint32_t word = 0;
    int32_t digits = 0;
    for (const char c : uuid) {
        const int32_t d = core::TextHexDigit(c);
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

bool PcVolumeOfPath(const std::string& path, PcVolume& volume) {
    platform::VolumeIdentity identity;
    if (!platform::VolumeIdentify(path, identity)) {
        return false;
    }
    volume.device = identity.device;
    if (!identity.uuid.empty()) {
        volume.value = PcUuidFold(identity.uuid);
    } else if (identity.hasFsid) {
        volume.value =
            static_cast<uint32_t>(identity.fsid) ^ static_cast<uint32_t>(identity.fsid >> 32);
    } else {
        volume.value = 0;
    }
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
