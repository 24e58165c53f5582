#include "ubrof/cfi_reader.h"

#include <set>
#include <string>

#include "ubrof/cfi_decoder.h"
#include "ubrof/cfi_sink.h"
#include "ubrof/fatal.h"
#include "ubrof/record_cursor.h"

namespace ubrof {

namespace {

constexpr uint8_t kNames = 1;
constexpr uint8_t kCommon = 2;
constexpr uint8_t kData = 3;
constexpr uint8_t kVersionedNames = 5;
constexpr uint8_t kDataWithKind = 6;
constexpr uint8_t kDerivedCommon = 7;

struct CommonLess {
    bool operator()(const CountedHandle<CfiCommonBlock>& a,
                    const CountedHandle<CfiCommonBlock>& b) const {
        return Compare(*a, *b) == std::strong_ordering::less;
    }
};

// Resources one names block may number. Real targets have a few dozen;
// the cap keeps a crafted block from making every table that follows it
// large.
constexpr uint32_t kMaxResources = 65536;

void CheckResourceCount(uint64_t count) {
    if (count > kMaxResources) {
        UbrofFatal("Too many CFI resources: " + std::to_string(count));
    }
}

// A one-byte length and that many bytes of text.
std::string Text(RecordCursor& in) {
    return in.String8();
}

// Flags of a bit table, eight to a byte from bit 7 down.
std::vector<bool> Flags(RecordCursor& in, uint32_t count) {
    const std::vector<uint8_t> bytes = in.Bytes((static_cast<size_t>(count) + 7) / 8);
    std::vector<bool> flags;
    flags.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        flags.push_back(((bytes[i / 8] >> (7 - i % 8)) & 1) != 0);
    }
    return flags;
}

// The initial instructions of a COMMON block (the rest of the body), decoded
// with its own factors and no COMMON block, after the default rule that
// resources from firstDefault on get when giveDefaults is set: same value
// with flags bit 1, undefined otherwise.
void DecodeInitialRules(RecordCursor& in, CfiCommonBlock& common, uint32_t firstDefault,
                        bool giveDefaults) {
    const CfiNamesBlock& names = common.Names();
    CfiFrameStateBuilder state(names);
    CfiRowRecorder row(common.InitialRules(), state);
    if (giveDefaults) {
        common.SetDefaults(firstDefault, names.ResourceCount(), (common.Flags() & 2) != 0);
    }
    const std::vector<uint8_t> instructions = in.Rest();
    CfiInstructionDecoder(instructions.data(), instructions.size(), nullptr, common.CodeAlignment(),
                          common.DataAlignment(), names, row)
        .Decode();
}

} // namespace

class OgUbrofCfi::Impl {
public:
    CountedHandle<CfiDataBlock> Read(RecordCursor& in);

    std::map<uint32_t, CountedHandle<CfiNamesBlock>> names;
    std::map<uint32_t, CountedHandle<CfiCommonBlock>> commons;
    std::set<CountedHandle<CfiCommonBlock>, CommonLess> interned;

private:
    std::vector<CfiFrame> ReadFrames(RecordCursor& in);
    void ReadNames(RecordCursor& in);
    void ReadVersionedNames(RecordCursor& in);
    void ReadCommon(RecordCursor& in);
    void ReadDerivedCommon(RecordCursor& in);
    CountedHandle<CfiNamesBlock> NamesFor(uint32_t id) const;
    CountedHandle<CfiDataBlock> ReadData(RecordCursor& in, bool withKind);
};

std::vector<CfiFrame> OgUbrofCfi::Impl::ReadFrames(RecordCursor& in) {
    const uint32_t count = in.Uleb();
    std::vector<CfiFrame> frames;
    for (uint32_t i = 0; i < count; ++i) {
        CfiFrame frame;
        frame.kind = in.Uleb();
        switch (frame.kind) {
        case 0:
            frame.resource = in.Uleb();
            frame.space = in.CodeByte();
            break;
        case 1:
            frame.name = Text(in);
            break;
        case 2:
            frame.space = in.CodeByte();
            break;
        default:
            UbrofFatal("OgUbrofCfi:ReadFrames - Unknown frame kind: " + std::to_string(frame.kind));
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

CountedHandle<CfiNamesBlock> OgUbrofCfi::Impl::NamesFor(uint32_t id) const {
    const auto it = names.find(id);
    if (it == names.end()) {
        UbrofFatal("No NAMES block defined for id " + std::to_string(id));
    }
    return it->second;
}

void OgUbrofCfi::Impl::ReadNames(RecordCursor& in) {
    const uint32_t id = in.Uleb();
    // The frames stand ahead of the resources they may lie on: they are added
    // once the resources are known.
    const std::vector<CfiFrame> frames = ReadFrames(in);
    CountedHandle<CfiNamesBlock> block(new CfiNamesBlock());
    const uint32_t count = in.Uleb();
    CheckResourceCount(count);
    for (uint32_t i = 0; i < count; ++i) {
        CfiResource resource;
        resource.name = Text(in);
        resource.size = in.Uleb();
        block->AddResource(std::move(resource));
    }
    for (const CfiFrame& frame : frames) {
        block->AddFrame(frame);
    }
    names[id] = block;
}

void OgUbrofCfi::Impl::ReadVersionedNames(RecordCursor& in) {
    const uint32_t id = in.Uleb();
    const uint32_t version = in.Uleb();
    UbrofCheck(version == 1, "OgUbrofCfi - Unknown CFI Names record version: %lu",
               static_cast<unsigned long>(version));
    const uint32_t baseId = in.Uleb();
    const uint32_t defaultSize = in.Uleb();
    if (baseId != 0) {
        CountedHandle<CfiNamesBlock> block(new CfiNamesBlock(NamesFor(baseId - 1)));
        ReadFrames(in);
        const uint32_t count = in.Uleb();
        const std::vector<bool> flags = Flags(in, count);
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t number = in.Uleb();
            const uint32_t value = in.Uleb();
            const uint32_t size = flags[i] ? defaultSize : in.Uleb();
            block->ChangeResource(number, value, size);
        }
        names[id] = block;
        return;
    }
    CountedHandle<CfiNamesBlock> block(new CfiNamesBlock());
    const std::vector<CfiFrame> frames = ReadFrames(in);
    const uint32_t count = in.Uleb();
    CheckResourceCount(count);
    const std::vector<bool> flags = Flags(in, count);
    const uint32_t virtuals = in.Uleb();
    std::vector<uint32_t> virtualNumbers;
    for (uint32_t i = 0; i < virtuals; ++i) {
        const uint32_t number = in.Uleb();
        if (number >= count) {
            UbrofFatal("CFI resource number out of range: " + std::to_string(number));
        }
        virtualNumbers.push_back(number);
    }
    for (uint32_t i = 0; i < count; ++i) {
        CfiResource resource;
        resource.name = Text(in);
        resource.size = flags[i] ? defaultSize : in.Uleb();
        block->AddResource(std::move(resource));
    }
    for (const uint32_t number : virtualNumbers) {
        block->MarkVirtual(number);
    }
    for (const CfiFrame& frame : frames) {
        block->AddFrame(frame);
    }
    // Groups: composite resources and their parts, up to a count of 0.
    for (uint32_t parts = in.Uleb(); parts != 0; parts = in.Uleb()) {
        const uint32_t composite = in.Uleb();
        block->CheckResource(composite);
        std::vector<uint32_t> numbers;
        for (uint32_t i = 0; i < parts; ++i) {
            numbers.push_back(in.Uleb());
        }
        block->SetParts(composite, std::move(numbers));
    }
    names[id] = block;
}

void OgUbrofCfi::Impl::ReadCommon(RecordCursor& in) {
    const uint32_t id = in.Uleb();
    UbrofCheck(in.Byte() == 1, "Unsupported call frame info common version");
    const std::string augmentation = Text(in);
    const bool iar2 = augmentation == "IAR 2";
    UbrofCheck(iar2 || augmentation == "IAR 1", "Unsupported call frame info common augmentation");
    const uint32_t codeAlignment = in.Uleb();
    const int32_t dataAlignment = in.Sleb();
    const uint32_t returnAddress = in.Uleb();
    const int codeByte = in.CodeByte();
    const uint32_t flags = in.Uleb();
    const CountedHandle<CfiNamesBlock> block = NamesFor(in.Uleb());
    block->CheckResource(returnAddress);
    CountedHandle<CfiCommonBlock> common(new CfiPlainCommonBlock(
        block, flags, codeAlignment, dataAlignment, returnAddress, codeByte));
    DecodeInitialRules(in, *common, 0, iar2);
    commons[id] = *interned.insert(common).first;
}

void OgUbrofCfi::Impl::ReadDerivedCommon(RecordCursor& in) {
    const uint32_t id = in.Uleb();
    const uint32_t baseId = in.Uleb();
    const auto base = commons.find(baseId);
    if (base == commons.end()) {
        UbrofFatal("No Common block defined for id " + std::to_string(baseId));
    }
    const uint32_t flags = in.Uleb();
    const CountedHandle<CfiNamesBlock> block = NamesFor(in.Uleb());
    CountedHandle<CfiCommonBlock> common(new CfiDerivedCommonBlock(base->second, block, flags));
    // Every resource beyond the base's names block gets a default rule.
    DecodeInitialRules(in, *common, base->second->Names().ResourceCount(), true);
    commons[id] = common;
}

CountedHandle<CfiDataBlock> OgUbrofCfi::Impl::ReadData(RecordCursor& in, bool withKind) {
    const uint32_t commonId = in.Uleb();
    const auto common = commons.find(commonId);
    if (common == commons.end()) {
        UbrofFatal("No Common block defined for id " + std::to_string(commonId));
    }
    CountedHandle<CfiDataBlock> data(new CfiDataBlock(common->second));
    data->first = in.Uleb();
    data->second = in.Uleb();
    if (withKind) {
        data->kind = in.Uleb();
        switch (data->kind) {
        case 1:
            break;
        case 2:
            data->firstRowMarked = true;
            break;
        case 3: {
            const uint32_t count = in.Uleb();
            for (uint32_t i = 0; i < count; ++i) {
                data->addresses.push_back(in.Address());
            }
            break;
        }
        default:
            UbrofFatal("OgUbrofCfi::Impl::ReadData - unknown data kind: " +
                       std::to_string(data->kind));
        }
    }
    const CfiCommonBlock& c = data->Common();
    // The rows start from the COMMON block's initial rules (one row only),
    // shared with every other data block of that COMMON block.
    data->State().Start(c.InitialState());
    CfiRowRecorder row(data->Rows(), data->State());
    const std::vector<uint8_t> instructions = in.Rest();
    CfiInstructionDecoder(instructions.data(), instructions.size(), &c, c.CodeAlignment(),
                          c.DataAlignment(), c.Names(), row)
        .Decode();
    return data;
}

CountedHandle<CfiDataBlock> OgUbrofCfi::Impl::Read(RecordCursor& in) {
    const uint8_t sub = in.Byte();
    switch (sub) {
    case kNames:
        ReadNames(in);
        return {};
    case kCommon:
        ReadCommon(in);
        return {};
    case kData:
        return ReadData(in, false);
    case kVersionedNames:
        ReadVersionedNames(in);
        return {};
    case kDataWithKind:
        return ReadData(in, true);
    case kDerivedCommon:
        ReadDerivedCommon(in);
        return {};
    default:
        UbrofCheck(false, "Unknown cfi sub tag: %d", sub);
        return {};
    }
}

OgUbrofCfi::OgUbrofCfi() : impl_(std::make_unique<Impl>()) {}

OgUbrofCfi::~OgUbrofCfi() = default;

CountedHandle<CfiDataBlock> OgUbrofCfi::Read(const std::vector<uint8_t>& body,
                                             const TaggedAddress&) {
    RecordCursor in(body);
    return impl_->Read(in);
}

const CfiNamesBlock* OgUbrofCfi::NamesBlock(uint32_t id) const {
    return NamesBlockHandle(id).get();
}

CountedHandle<CfiNamesBlock> OgUbrofCfi::NamesBlockHandle(uint32_t id) const {
    const auto it = impl_->names.find(id);
    return it == impl_->names.end() ? CountedHandle<CfiNamesBlock>() : it->second;
}

const CfiCommonBlock* OgUbrofCfi::CommonBlock(uint32_t id) const {
    const auto it = impl_->commons.find(id);
    return it == impl_->commons.end() ? nullptr : it->second.get();
}

size_t OgUbrofCfi::InternedCommonBlocks() const {
    return impl_->interned.size();
}

} // namespace ubrof
