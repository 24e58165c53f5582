#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

#include "ubrof/cfi_frame_state.h"
#include "ubrof/cfi_sink.h"

namespace ubrof {

class CfiCommonBlock;
class CfiNamesBlock;

// Decodes one block of call-frame instructions into sink calls. Every
// resource and frame number, the implicit frame 0 included, is checked
// against the names block. Restores take the COMMON block's initial rules;
// without a COMMON block they are a format error.
class CfiInstructionDecoder {
public:
    CfiInstructionDecoder(const uint8_t* instructions, size_t size, const CfiCommonBlock* common,
                          uint32_t codeAlignment, int32_t dataAlignment, const CfiNamesBlock& names,
                          CfiInstructionSink& sink);

    // Reads the instructions to their end.
    void Decode();

private:
    struct Cfa {
        uint32_t resource = 0;
        int32_t offset = 0;
    };
    uint32_t Resource(uint32_t number) const;
    uint32_t Frame(uint32_t number) const;
    Cfa& CfaOf(uint32_t frame);
    void Restore(uint32_t resource);
    void Advance(uint32_t location);

    const uint8_t* instructions_;
    size_t size_;
    const CfiCommonBlock* common_;
    uint32_t codeAlignment_;
    int32_t dataAlignment_;
    const CfiNamesBlock& names_;
    CfiInstructionSink& sink_;
    // The COMMON block's initial rules, when there is one.
    std::shared_ptr<const CfiInitialState> initial_;
    std::map<uint32_t, Cfa> cfa_;
    uint32_t location_ = 0;
};

} // namespace ubrof
