#pragma once
// The PC number that ties a project to one PC: one 32-bit value for each
// filesystem of "/", "/boot" and "/home", XORed together. Tests replace the
// source of the filesystem values.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace gui {

// One filesystem as the PC number sees it.
struct PcVolume {
    uint64_t device = 0; // the filesystem's device: two paths on one count once
    uint32_t value = 0;  // its number; 0 counts as none
};

// Fills volume for the filesystem that holds path; false when the path does
// not exist (it is skipped).
using PcVolumeSource = std::function<bool(const std::string& path, PcVolume& volume)>;

// Replaces the source; an empty one restores this machine's.
void PcVolumeSourceSet(PcVolumeSource source);

// This machine's source, over platform::VolumeIdentify: the filesystem's
// UUID folded by PcUuidFold; without one, its statvfs id with the two halves
// XORed; without that either, 0.
bool PcVolumeOfPath(const std::string& path, PcVolume& volume);

// The hexadecimal digits of a UUID text as big-endian 32-bit words (a short
// last word filled with zero digits), XORed: "1234-ABCD" gives 0x1234ABCD.
// Other characters are skipped.
uint32_t PcUuidFold(std::string_view uuid);

// "/", "/boot" and "/home" in this order, each filesystem once, missing
// paths and zero values skipped, the values XORed from 0.
uint32_t PcFingerprint();

// "%4.4X-%4.4X" of the upper and lower 16 bits: the PC number as the
// operator types it.
std::string PcFingerprintText(uint32_t fingerprint);

} // namespace gui
