#include "core/code_image_copy.h"

#include "core/segment_table.h"

#include <cstring>

namespace core {

CodeImageCopy::CodeImageCopy() : image_(std::make_unique<ImageBytes>()) {
    image_->Clear();
}

CodeImageCopy::CodeImageCopy(const CodeImageCopy& other)
    : image_(std::make_unique<ImageBytes>(*other.image_)), hasData_(other.hasData_) {
    std::memcpy(fileData_, other.fileData_, sizeof fileData_);
}

CodeImageCopy& CodeImageCopy::operator=(const CodeImageCopy& other) {
    if (this != &other) {
        *image_ = *other.image_;
        hasData_ = other.hasData_;
        std::memcpy(fileData_, other.fileData_, sizeof fileData_);
    }
    return *this;
}

CodeImageCopy::~CodeImageCopy() = default;

void CodeImageCopy::Take() {
    *image_ = Images.CodeImage;
    hasData_ = Images.CodeImageHasData;
    for (int32_t i = 0; i < kMaxSegments; ++i) {
        fileData_[i] = SegmentTable.segments[i].hasFileData;
    }
}

void CodeImageCopy::Put() const {
    Images.CodeImage = *image_;
    Images.CodeImageHasData = hasData_;
    for (int32_t i = 0; i < kMaxSegments; ++i) {
        SegmentTable.segments[i].hasFileData = fileData_[i];
    }
}

void CodeImageCopy::Clear() {
    image_->Clear();
    hasData_ = 0;
    std::memset(fileData_, 0, sizeof fileData_);
}

} // namespace core
