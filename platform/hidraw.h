#pragma once
// HID devices through the Linux hidraw nodes.

#include "platform/hid_os.h"

namespace platform {

class HidrawOs : public HidOs {
public:
    std::unique_ptr<HidPort> Open(const std::string& path, int32_t* system_error) override;
};

// The process's hidraw layer.
HidOs& SystemHidOs();

} // namespace platform
