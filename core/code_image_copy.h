#pragma once
// A copy of the code image with what marks it: its bytes and used flags,
// CodeImageHasData and the segments' file-data flags, taken and put back
// whole.

#include "core/code_image.h"
#include "core/memory_map.h"

#include <cstdint>
#include <memory>

namespace core {

// A kept load puts the code image back with one when its file is bad, and
// Combine Files builds its image in one while the current code stays. The
// segment flags belong to the segment table of the moment: a copy is put
// back under the same device.
class CodeImageCopy {
public:
    CodeImageCopy(); // an empty image
    CodeImageCopy(const CodeImageCopy& other);
    CodeImageCopy& operator=(const CodeImageCopy& other);
    ~CodeImageCopy();

    void Take();      // from the code image
    void Put() const; // into the code image; the programming image is left alone
    void Clear();     // empty, as CodeImageClear leaves the code image

    int32_t HasData() const { return hasData_; }

private:
    std::unique_ptr<ImageBytes> image_;
    int32_t hasData_ = 0;
    uint8_t fileData_[kMaxSegments] = {};
};

} // namespace core
