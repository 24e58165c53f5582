#pragma once

// Writes the bodies of the debug records (call-frame information, statement
// info, source lines, read operations), their call-frame instructions and
// their location-expression programs. Independent of the reader: its own
// number encoders.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/ubrof/ubrof_builder.h"

namespace ubrof_test {

Bytes EncodeSleb(int64_t value);

// Appends the fields of a body.
class BodyWriter {
public:
    BodyWriter& U8(uint8_t value);
    BodyWriter& U16(uint16_t value);
    BodyWriter& U32(uint32_t value);
    BodyWriter& Uleb(uint64_t value);
    BodyWriter& Sleb(int64_t value);
    // A one-byte length and the text.
    BodyWriter& Text8(const std::string& text);
    // A LEB128 length and the text.
    BodyWriter& Text(const std::string& text);
    BodyWriter& Raw(const Bytes& bytes);
    const Bytes& bytes() const { return bytes_; }
    operator const Bytes&() const { return bytes_; }

protected:
    Bytes bytes_;
};

// A location-expression program.
class DwOp : public BodyWriter {
public:
    DwOp& Op(uint8_t opcode) {
        U8(opcode);
        return *this;
    }
    DwOp& Addr(uint32_t a) {
        U8(0x03).U32(a);
        return *this;
    }
    DwOp& Deref() { return Op(0x06); }
    DwOp& Const1u(uint8_t v) {
        U8(0x08).U8(v);
        return *this;
    }
    DwOp& Const1s(int8_t v) {
        U8(0x09).U8(static_cast<uint8_t>(v));
        return *this;
    }
    DwOp& Const2u(uint16_t v) {
        U8(0x0A).U16(v);
        return *this;
    }
    DwOp& Const2s(int16_t v) {
        U8(0x0B).U16(static_cast<uint16_t>(v));
        return *this;
    }
    DwOp& Const4u(uint32_t v) {
        U8(0x0C).U32(v);
        return *this;
    }
    DwOp& Const4s(int32_t v) {
        U8(0x0D).U32(static_cast<uint32_t>(v));
        return *this;
    }
    DwOp& Constu(uint64_t v) {
        U8(0x10).Uleb(v);
        return *this;
    }
    DwOp& Consts(int64_t v) {
        U8(0x11).Sleb(v);
        return *this;
    }
    DwOp& Dup() { return Op(0x12); }
    DwOp& Drop() { return Op(0x13); }
    DwOp& Over() { return Op(0x14); }
    DwOp& Pick(uint8_t n) {
        U8(0x15).U8(n);
        return *this;
    }
    DwOp& Swap() { return Op(0x16); }
    DwOp& Rot() { return Op(0x17); }
    DwOp& Xderef(uint8_t space) {
        U8(0x18).U8(space);
        return *this;
    }
    DwOp& Abs() { return Op(0x19); }
    DwOp& And() { return Op(0x1A); }
    DwOp& Div() { return Op(0x1B); }
    DwOp& Minus() { return Op(0x1C); }
    DwOp& Mod() { return Op(0x1D); }
    DwOp& Mul() { return Op(0x1E); }
    DwOp& Neg() { return Op(0x1F); }
    DwOp& Not() { return Op(0x20); }
    DwOp& Or() { return Op(0x21); }
    DwOp& Plus() { return Op(0x22); }
    DwOp& PlusUconst(uint64_t v) {
        U8(0x23).Uleb(v);
        return *this;
    }
    DwOp& Shl() { return Op(0x24); }
    DwOp& Shr() { return Op(0x25); }
    DwOp& Shra() { return Op(0x26); }
    DwOp& Xor() { return Op(0x27); }
    DwOp& Bra(int16_t d) {
        U8(0x28).U16(static_cast<uint16_t>(d));
        return *this;
    }
    DwOp& Eq() { return Op(0x29); }
    DwOp& Ge() { return Op(0x2A); }
    DwOp& Gt() { return Op(0x2B); }
    DwOp& Le() { return Op(0x2C); }
    DwOp& Lt() { return Op(0x2D); }
    DwOp& Ne() { return Op(0x2E); }
    DwOp& Skip(int16_t d) {
        U8(0x2F).U16(static_cast<uint16_t>(d));
        return *this;
    }
    DwOp& Lit(uint8_t n) { return Op(static_cast<uint8_t>(0x30 + n)); }
    DwOp& Reg(uint8_t n) { return Op(static_cast<uint8_t>(0x50 + n)); }
    DwOp& Breg(uint8_t n, int64_t offset) {
        U8(static_cast<uint8_t>(0x70 + n)).Sleb(offset);
        return *this;
    }
    DwOp& Regx(uint64_t r) {
        U8(0x90).Uleb(r);
        return *this;
    }
    DwOp& Fbreg(int64_t offset) {
        U8(0x91).Sleb(offset);
        return *this;
    }
    DwOp& Bregx(uint64_t r, int64_t offset) {
        U8(0x92).Uleb(r).Sleb(offset);
        return *this;
    }
    DwOp& DerefSize(uint8_t size) {
        U8(0x94).U8(size);
        return *this;
    }
    DwOp& XderefSize(uint8_t size, uint8_t space) {
        U8(0x95).U8(size).U8(space);
        return *this;
    }
    DwOp& Frame(uint64_t f) {
        U8(0xE0).Uleb(f);
        return *this;
    }
    // Drops the last count bytes (an operand cut by the end).
    DwOp& Truncated(size_t count) {
        bytes_.resize(count < bytes_.size() ? bytes_.size() - count : 0);
        return *this;
    }
};

// A block of call-frame instructions.
class CfiOps : public BodyWriter {
public:
    CfiOps& Advance(uint8_t d) {
        U8(static_cast<uint8_t>(0x40 + d));
        return *this;
    }
    CfiOps& Offset(uint8_t r, uint64_t n) {
        U8(static_cast<uint8_t>(0x80 + r)).Uleb(n);
        return *this;
    }
    CfiOps& Restore(uint8_t r) {
        U8(static_cast<uint8_t>(0xC0 + r));
        return *this;
    }
    CfiOps& Nop() {
        U8(0);
        return *this;
    }
    CfiOps& SetLoc(uint32_t a) {
        U8(1).U32(a);
        return *this;
    }
    CfiOps& Advance1(uint8_t d) {
        U8(2).U8(d);
        return *this;
    }
    CfiOps& Advance2(uint16_t d) {
        U8(3).U16(d);
        return *this;
    }
    CfiOps& Advance4(uint32_t d) {
        U8(4).U32(d);
        return *this;
    }
    CfiOps& OffsetExtended(uint64_t r, uint64_t n) {
        U8(5).Uleb(r).Uleb(n);
        return *this;
    }
    CfiOps& RestoreExtended(uint64_t r) {
        U8(6).Uleb(r);
        return *this;
    }
    CfiOps& Undefined(uint64_t r) {
        U8(7).Uleb(r);
        return *this;
    }
    CfiOps& SameValue(uint64_t r) {
        U8(8).Uleb(r);
        return *this;
    }
    CfiOps& Register(uint64_t r, uint64_t r2) {
        U8(9).Uleb(r).Uleb(r2);
        return *this;
    }
    CfiOps& Remember() {
        U8(10);
        return *this;
    }
    CfiOps& RestoreState() {
        U8(11);
        return *this;
    }
    CfiOps& DefCfa(uint64_t r, uint64_t n) {
        U8(12).Uleb(r).Uleb(n);
        return *this;
    }
    CfiOps& DefCfaRegister(uint64_t r) {
        U8(13).Uleb(r);
        return *this;
    }
    CfiOps& DefCfaOffset(uint64_t n) {
        U8(14).Uleb(n);
        return *this;
    }
    CfiOps& FrameCfa(uint64_t f, uint64_t r, uint64_t n) {
        U8(28).Uleb(f).Uleb(r).Uleb(n);
        return *this;
    }
    CfiOps& FrameCfaRegister(uint64_t f, uint64_t r) {
        U8(29).Uleb(f).Uleb(r);
        return *this;
    }
    CfiOps& FrameCfaOffset(uint64_t f, uint64_t n) {
        U8(30).Uleb(f).Uleb(n);
        return *this;
    }
    CfiOps& Op31(uint64_t f) {
        U8(31).Uleb(f);
        return *this;
    }
    CfiOps& FrameOffset(uint64_t r, uint64_t f, uint64_t n) {
        U8(32).Uleb(r).Uleb(f).Uleb(n);
        return *this;
    }
    CfiOps& Op33() {
        U8(33);
        return *this;
    }
    CfiOps& Op34() {
        U8(34);
        return *this;
    }
    CfiOps& CfaExpression(uint64_t f, const Bytes& program) {
        U8(35).Uleb(f).Uleb(program.size()).Raw(program);
        return *this;
    }
    CfiOps& RuleExpression(uint64_t r, const Bytes& program) {
        U8(36).Uleb(r).Uleb(program.size()).Raw(program);
        return *this;
    }
    CfiOps& Op37(uint64_t f) {
        U8(37).Uleb(f);
        return *this;
    }
    CfiOps& Op(uint8_t opcode) {
        U8(opcode);
        return *this;
    }
};

// A frame of a names block: kind 0 on a resource in a space, kind 1 named,
// kind 2 in a space; any other kind is written with no operands.
struct CfiFrameSpec {
    CfiFrameSpec(uint64_t k = 0, uint64_t r = 0, uint8_t s = 0, std::string n = "")
        : kind(k), resource(r), space(s), name(std::move(n)) {}
    uint64_t kind = 0;
    uint64_t resource = 0;
    uint8_t space = 0;
    std::string name;
};

struct CfiResourceSpec {
    CfiResourceSpec(std::string n, std::optional<uint64_t> s = std::nullopt)
        : name(std::move(n)), size(s) {}
    std::string name;
    // Written only when set (versioned blocks: otherwise the default size).
    std::optional<uint64_t> size;
};

// Sub tag 1.
Bytes CfiNamesBody(uint64_t id, const std::vector<CfiFrameSpec>& frames,
                   const std::vector<CfiResourceSpec>& resources);

// Sub tag 5.
struct CfiVersionedNamesSpec {
    uint64_t id = 0;
    uint64_t version = 1;
    uint64_t base = 0; // 0 none, k the block with id k - 1
    uint64_t defaultSize = 2;
    std::vector<CfiFrameSpec> frames{};
    // Without a base: the resources, their flag set where no size is given.
    std::vector<CfiResourceSpec> resources{};
    std::vector<uint64_t> virtuals{};
    std::vector<std::pair<uint64_t, std::vector<uint64_t>>> groups{}; // composite, parts
    // With a base: number, value, size (flag set where none).
    struct Change {
        uint64_t number;
        uint64_t value;
        std::optional<uint64_t> size;
    };
    std::vector<Change> changes{};
};
Bytes CfiVersionedNamesBody(const CfiVersionedNamesSpec& spec);

// Sub tag 2.
struct CfiCommonSpec {
    uint64_t id = 0;
    uint8_t version = 1;
    std::string augmentation = "IAR 2";
    uint64_t codeAlignment = 1;
    int64_t dataAlignment = -2;
    uint64_t returnAddress = 0;
    uint8_t codeByte = 0;
    uint64_t flags = 0;
    uint64_t names = 0;
    Bytes instructions;
};
Bytes CfiCommonBody(const CfiCommonSpec& spec);
// Sub tag 7.
Bytes CfiDerivedCommonBody(uint64_t id, uint64_t base, uint64_t flags, uint64_t names,
                           const Bytes& instructions);
// Sub tag 3.
Bytes CfiDataBody(uint64_t common, uint64_t first, uint64_t second, const Bytes& instructions);
// Sub tag 6: kind 3 writes the addresses (kind byte, index, offset).
struct CfiAddressSpec {
    CfiAddressSpec(uint8_t k = 3, uint64_t i = 0, uint64_t o = 0) : kind(k), index(i), offset(o) {}
    uint8_t kind = 3;
    uint64_t index = 0;
    uint64_t offset = 0;
};
Bytes CfiDataWithKindBody(uint64_t common, uint64_t first, uint64_t second, uint64_t kind,
                          const std::vector<CfiAddressSpec>& addresses, const Bytes& instructions);

// Source lines.
struct SourceFileSpec {
    SourceFileSpec(std::string n, uint64_t dir = 0, uint64_t num = 0)
        : name(std::move(n)), directory(dir), number(num) {}
    std::string name;
    uint64_t directory = 0;
    // Six bytes; empty writes 12:00:00 on 1 January 2024.
    Bytes time;
    uint64_t number = 0;
    uint64_t unused = 0;
};
class SourceItems : public BodyWriter {
public:
    SourceItems& Line(uint64_t a, uint64_t file) {
        U8(1).Uleb(a).Uleb(file);
        return *this;
    }
    SourceItems& EndSequence() {
        U8(2);
        return *this;
    }
    SourceItems& Third(uint64_t a, uint64_t file, uint64_t c) {
        U8(3).Uleb(a).Uleb(file).Uleb(c);
        return *this;
    }
    SourceItems& Line2(uint64_t a, uint64_t b, uint64_t file) {
        U8(4).Uleb(a).Uleb(b).Uleb(file);
        return *this;
    }
    SourceItems& Item(uint8_t item) {
        U8(item);
        return *this;
    }
};
Bytes SourceLinesBody(const std::vector<std::string>& directories,
                      const std::vector<SourceFileSpec>& files, const Bytes& items = {});

// Statement info.
struct StatementCommonSpec {
    StatementCommonSpec(uint64_t i = 0) : id(i) {}
    uint64_t id = 0;
    uint8_t format = 1;
    uint64_t p1 = 2;
    int64_t p2 = -1;
    uint64_t p3 = 3;
    int64_t p4 = 4;
    uint64_t p5 = 5;
    int64_t p6 = -6;
    uint64_t p7 = 7;
    Bytes bytes = Bytes(2, 0xAB);
};
Bytes StatementCommonBody(const StatementCommonSpec& spec);
Bytes StatementBody(uint64_t id, uint64_t count, const Bytes& rest = {});

// Read operations: A written when given; B written unless flags bit 1 is
// set; the count written for count code 0x14.
Bytes ReadOperationBody(uint64_t flags, std::optional<uint64_t> a, uint64_t b,
                        const std::vector<uint64_t>& numbers);

} // namespace ubrof_test
