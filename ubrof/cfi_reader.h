#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "ubrof/cfi_common.h"
#include "ubrof/cfi_frame_state.h"
#include "ubrof/cfi_names.h"
#include "ubrof/cfi_rule_stream.h"
#include "ubrof/counted.h"
#include "ubrof/tagged_address.h"

namespace ubrof {

// The rule changes of one code range: the result of a data record.
class CfiDataBlock : public CountedObject {
public:
    explicit CfiDataBlock(CountedHandle<CfiCommonBlock> common)
        : common_(std::move(common)), rows_(common_->NamesHandle()), state_(common_->Names()) {}

    const CfiCommonBlock& Common() const { return *common_; }
    uint32_t first = 0;
    uint32_t second = 0;
    // Sub tag 6 only; 0 for a plain data block.
    uint32_t kind = 0;
    bool firstRowMarked = false;
    // Kind 3 only.
    std::vector<TaggedAddress> addresses;

    // The rule rows decoded from the block's instructions.
    CfiRuleRecorder& Rows() { return rows_; }
    const CfiRuleRecorder& Rows() const { return rows_; }
    // The rules after the last row, from the COMMON block's initial rules on.
    CfiFrameStateBuilder& State() { return state_; }
    const CfiFrameStateBuilder& State() const { return state_; }

private:
    CountedHandle<CfiCommonBlock> common_;
    CfiRuleRecorder rows_;
    CfiFrameStateBuilder state_;
};

// The reader of call-frame-information records. The names and COMMON blocks
// it reads stay registered by id for the rest of the file; a later block
// under an id in use replaces the earlier one.
class OgUbrofCfi {
public:
    OgUbrofCfi();
    ~OgUbrofCfi();
    OgUbrofCfi(const OgUbrofCfi&) = delete;
    OgUbrofCfi& operator=(const OgUbrofCfi&) = delete;

    // One record body; a data block for sub tags 3 and 6, else null.
    CountedHandle<CfiDataBlock> Read(const std::vector<uint8_t>& body,
                                     const TaggedAddress& address);

    // Null when no names block with that id was read.
    const CfiNamesBlock* NamesBlock(uint32_t id) const;
    CountedHandle<CfiNamesBlock> NamesBlockHandle(uint32_t id) const;
    // Null when no COMMON block with that id was read.
    const CfiCommonBlock* CommonBlock(uint32_t id) const;
    // Distinct COMMON blocks kept (equal plain blocks share one).
    size_t InternedCommonBlocks() const;

    class Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace ubrof
