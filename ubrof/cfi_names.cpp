#include "ubrof/cfi_names.h"

#include <utility>

#include "ubrof/fatal.h"

namespace ubrof {

CfiNamesBlock::CfiNamesBlock(CountedHandle<CfiNamesBlock> base) : base_(std::move(base)) {
    if (base_) {
        UbrofCheck(base_->ChainDepth() < kMaxChain, "CFI block chain too deep");
        depth_ = base_->ChainDepth() + 1;
        baseResources_ = base_->ResourceCount();
        baseFrames_ = base_->FrameCount();
    }
}

uint32_t CfiNamesBlock::ResourceCount() const {
    return baseResources_ + static_cast<uint32_t>(resources_.size());
}

uint32_t CfiNamesBlock::FrameCount() const {
    return baseFrames_ + static_cast<uint32_t>(frames_.size());
}

const CfiResource* CfiNamesBlock::Resource(uint32_t number) const {
    // Walks the chain without recursion.
    for (const CfiNamesBlock* block = this; block != nullptr; block = block->base_.get()) {
        if (number >= block->ResourceCount()) {
            return nullptr;
        }
        if (number >= block->baseResources_) {
            return &block->resources_[number - block->baseResources_];
        }
        if (const auto it = block->changes_.find(number); it != block->changes_.end()) {
            return &it->second;
        }
    }
    return nullptr;
}

const CfiFrame* CfiNamesBlock::Frame(uint32_t number) const {
    for (const CfiNamesBlock* block = this; block != nullptr; block = block->base_.get()) {
        if (number >= block->FrameCount()) {
            return nullptr;
        }
        if (number >= block->baseFrames_) {
            return &block->frames_[number - block->baseFrames_];
        }
    }
    return nullptr;
}

void CfiNamesBlock::CheckResource(uint32_t number) const {
    if (number >= ResourceCount()) {
        UbrofFatal("CFI resource number out of range: " + std::to_string(number));
    }
}

void CfiNamesBlock::CheckFrame(uint32_t number) const {
    if (number >= FrameCount()) {
        UbrofFatal("CFI frame number out of range: " + std::to_string(number));
    }
}

void CfiNamesBlock::AddFrame(const CfiFrame& frame) {
    if (frame.kind == 0) {
        CheckResource(frame.resource);
    }
    frames_.push_back(frame);
}

CfiResource* CfiNamesBlock::OwnResource(uint32_t number) {
    CheckResource(number);
    if (number >= baseResources_) {
        return &resources_[number - baseResources_];
    }
    auto it = changes_.find(number);
    if (it == changes_.end()) {
        it = changes_.emplace(number, *base_->Resource(number)).first;
    }
    return &it->second;
}

void CfiNamesBlock::ChangeResource(uint32_t number, uint32_t value, uint32_t size) {
    CfiResource* resource = OwnResource(number);
    resource->value = value;
    resource->size = size;
}

void CfiNamesBlock::MarkVirtual(uint32_t number) {
    OwnResource(number)->isVirtual = true;
}

void CfiNamesBlock::SetParts(uint32_t composite, std::vector<uint32_t> parts) {
    for (const uint32_t part : parts) {
        CheckResource(part);
    }
    OwnResource(composite)->parts = std::make_shared<const std::vector<uint32_t>>(std::move(parts));
}

} // namespace ubrof
