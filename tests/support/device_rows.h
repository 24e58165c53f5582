#pragma once
// The row of the device table by its name (after "MSP430F": "149", "5438"),
// so tests select devices by name rather than by a row number that moves
// when the table grows.

#include "core/device_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace testsupport {

// A test failure, and row 0, when no row has the name.
inline int32_t DeviceRowNamed(const std::string& name) {
    for (int32_t r = 1; r <= core::DeviceInfoTable.count; ++r) {
        std::string n(core::DeviceInfoTable.records[r].name);
        n.erase(n.find_last_not_of(' ') + 1);
        if (n == name) {
            return r;
        }
    }
    ADD_FAILURE() << "no device row " << name;
    return 0;
}

} // namespace testsupport
