#include "debugif/uif_com_ports.h"

#include "platform/ascii.h"
#include "platform/os_error.h"

#include <cstring>
#include <string>

namespace debugif {

ComPortSearchState ComPortSearch;

namespace {

std::string Upper(std::string s, size_t limit) {
    if (s.size() > limit) {
        s.resize(limit);
    }
    for (char& c : s) {
        c = platform::AsciiUpper(c);
    }
    return s;
}

} // namespace

int32_t EnumerateUifComPorts(int32_t index, char* name_out, size_t name_size, int32_t all_devices) {
    ComPortSearchState& s = ComPortSearch;
    if (index == 0 || !s.built) {
        s.Reset();
        s.built = platform::ActiveDeviceSetup().List(platform::DeviceClass::kPorts,
                                                     all_devices == 0, &s.records);
        if (!s.built) {
            s.records.clear();
            platform::SetLastSystemError(platform::kErrorGenFailure);
            return 0;
        }
    }
    if (index < 0 || static_cast<size_t>(index) >= s.records.size()) {
        platform::SetLastSystemError(platform::kErrorNoMoreItems);
        return kNoMorePorts;
    }
    platform::SetLastSystemError(platform::kErrorSuccess);
    if (name_out != nullptr && name_size > 0) {
        name_out[0] = '\0';
    }
    const platform::DeviceRecord& r = s.records[static_cast<size_t>(index)];
    const std::string id = Upper(r.hardware_id, 99);
    if (id.find("UMPPORT\\MSP_FET430UIF_COM") == std::string::npos &&
        id.find("USB\\VID_0451&PID_F430&REV_0101") == std::string::npos) {
        return 0;
    }
    const std::string friendly = Upper(r.friendly_name, 59);
    size_t at = friendly.find("COM");
    if (at == std::string::npos) {
        return 0;
    }
    // "COM", the next character whatever it is, then digits up to three in all.
    std::string port = "COM";
    size_t i = at + 3;
    if (i < friendly.size()) {
        port += friendly[i++];
        while (port.size() < 6 && i < friendly.size() && friendly[i] >= '0' && friendly[i] <= '9') {
            port += friendly[i++];
        }
    }
    if (name_out == nullptr || port.size() + 1 > name_size) {
        return 0;
    }
    std::memcpy(name_out, port.c_str(), port.size() + 1);
    return 1;
}

} // namespace debugif
