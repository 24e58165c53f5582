#pragma once
// SRecord's srec_cat as an independent reader of code files: what it reads
// from a file, as the defined bytes of the image window. The tests fail, not
// skip, when it is missing.

#include "platform/process.h"
#include "tests/support/image_bytes.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testsupport {

// Runs srec_cat with args in dir; true when it ran and exited 0.
inline bool SrecCatRun(const std::string& dir, const std::vector<std::string>& args) {
    std::vector<std::string> argv{"srec_cat"};
    argv.insert(argv.end(), args.begin(), args.end());
    const platform::RunResult r = platform::RunAndWait(argv, dir);
    EXPECT_TRUE(r.started) << "srec_cat is not installed (Debian package srecord)";
    EXPECT_EQ(r.exitStatus, 0) << "srec_cat refused its input";
    return r.started && r.exitStatus == 0;
}

// srec_cat's reading of dir/name in format ("-ti-txt", "-intel", ...): the
// holes are filled once with 0x00 and once with 0xFF, so a byte that
// differs is a hole.
inline ByteMap SrecCatBytes(const std::string& dir, const std::string& name, const char* format) {
    std::vector<std::string> images;
    for (const char* fill : {"0x00", "0xFF"}) {
        const std::string out = std::string("srec-fill") + fill + ".bin";
        if (!SrecCatRun(dir,
                        {name, format, "-fill", fill, "0x1000", "0x45C00", "-o", out, "-binary"})) {
            return {};
        }
        images.push_back(ReadFile(dir + "/" + out));
    }
    ByteMap m;
    if (images[0].size() != 0x45C00u || images[1].size() != 0x45C00u) {
        ADD_FAILURE() << "srec_cat wrote " << images[0].size() << " bytes";
        return m;
    }
    for (uint32_t a = 0x1000; a < 0x45C00; ++a) {
        if (images[0][a] == images[1][a]) {
            m[a] = static_cast<uint8_t>(images[0][a]);
        }
    }
    return m;
}

} // namespace testsupport
