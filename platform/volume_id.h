#pragma once
// What identifies the filesystem that holds a path: its device number, the
// UUID of its block device (the name of the "/dev/disk/by-uuid" entry that
// leads to it) and statvfs's filesystem id. Replaceable by tests.

#include <cstdint>
#include <string>

namespace platform {

inline constexpr const char* kByUuidDir = "/dev/disk/by-uuid";

struct VolumeIdentity {
    uint64_t device = 0;  // st_dev: two paths on one filesystem share it
    std::string uuid;     // empty when no by-uuid entry leads to the device
    bool hasFsid = false; // false when statvfs failed
    uint64_t fsid = 0;
};

class VolumeSource {
public:
    virtual ~VolumeSource() = default;
    // False when path does not exist.
    virtual bool Identify(const std::string& path, VolumeIdentity& identity) = 0;
};

// This machine's filesystems, with the UUIDs looked up in byUuidDir.
bool VolumeIdentifyIn(const std::string& path, VolumeIdentity& identity,
                      const std::string& byUuidDir);

// The real source: VolumeIdentifyIn over kByUuidDir.
VolumeSource& SystemVolumes();

// Routes VolumeIdentify to source; nullptr restores the real one. The caller
// keeps source alive while it is set.
void SetVolumeSource(VolumeSource* source);

bool VolumeIdentify(const std::string& path, VolumeIdentity& identity);

} // namespace platform
