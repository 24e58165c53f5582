#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ubrof/counted.h"

namespace ubrof {

// A target resource (register or the like) as a names block numbers it.
struct CfiResource {
    std::string name;
    uint32_t size = 0;
    bool isVirtual = false;
    // The value that a versioned names block gives a resource of its base.
    uint32_t value = 0;
    // Parts of a composite resource, by number; null for none. Shared with
    // the changes that later blocks make to the resource, so that a change of
    // a few bytes does not copy a long list of parts.
    std::shared_ptr<const std::vector<uint32_t>> parts;
};

// A stack frame: kind 0 lies on a resource in a memory space, kind 1 is
// named, kind 2 lies in a memory space.
struct CfiFrame {
    uint32_t kind = 0;
    uint32_t resource = 0;
    int space = 0;
    std::string name;
};

// Numbers the resources and frames that call-frame information talks about.
// A block on a base continues the base's numbering; numbers below the base's
// totals are the base's (or this block's change of one of them).
class CfiNamesBlock : public CountedObject {
public:
    // Base chains are at most this deep ("CFI block chain too deep").
    static constexpr int kMaxChain = 64;

    CfiNamesBlock() = default;
    // Refuses a base whose chain is already kMaxChain deep.
    explicit CfiNamesBlock(CountedHandle<CfiNamesBlock> base);

    const CfiNamesBlock* Base() const { return base_.get(); }
    int ChainDepth() const { return depth_; }
    uint32_t ResourceCount() const;
    uint32_t FrameCount() const;
    // Null for a number outside the block.
    const CfiResource* Resource(uint32_t number) const;
    const CfiFrame* Frame(uint32_t number) const;
    // Format errors "CFI resource number out of range: n" and
    // "CFI frame number out of range: n".
    void CheckResource(uint32_t number) const;
    void CheckFrame(uint32_t number) const;

    void AddResource(CfiResource resource) { resources_.push_back(std::move(resource)); }
    // A frame on a resource is checked against the block.
    void AddFrame(const CfiFrame& frame);
    // A change of a resource of the base chain.
    void ChangeResource(uint32_t number, uint32_t value, uint32_t size);
    void MarkVirtual(uint32_t number);
    void SetParts(uint32_t composite, std::vector<uint32_t> parts);

private:
    CfiResource* OwnResource(uint32_t number);

    CountedHandle<CfiNamesBlock> base_;
    int depth_ = 1;
    uint32_t baseResources_ = 0;
    uint32_t baseFrames_ = 0;
    std::vector<CfiResource> resources_;
    std::vector<CfiFrame> frames_;
    std::map<uint32_t, CfiResource> changes_;
};

} // namespace ubrof
