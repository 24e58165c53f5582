#include "tests/ubrof/ubrof_debug_builder.h"

namespace ubrof_test {

Bytes EncodeSleb(int64_t value) {
    Bytes out;
    for (;;) {
        const uint8_t b = static_cast<uint8_t>(value & 0x7F);
        value >>= 7; // arithmetic: the sign stays
        const bool done = (value == 0 && (b & 0x40) == 0) || (value == -1 && (b & 0x40) != 0);
        out.push_back(done ? b : static_cast<uint8_t>(b | 0x80));
        if (done) {
            return out;
        }
    }
}

BodyWriter& BodyWriter::U8(uint8_t value) {
    bytes_.push_back(value);
    return *this;
}

BodyWriter& BodyWriter::U16(uint16_t value) {
    return U8(static_cast<uint8_t>(value >> 8)).U8(static_cast<uint8_t>(value));
}

BodyWriter& BodyWriter::U32(uint32_t value) {
    return U16(static_cast<uint16_t>(value >> 16)).U16(static_cast<uint16_t>(value));
}

BodyWriter& BodyWriter::Uleb(uint64_t value) {
    return Raw(EncodeUleb(value));
}

BodyWriter& BodyWriter::Sleb(int64_t value) {
    return Raw(EncodeSleb(value));
}

BodyWriter& BodyWriter::Text8(const std::string& text) {
    U8(static_cast<uint8_t>(text.size()));
    return Raw(Bytes(text.begin(), text.end()));
}

BodyWriter& BodyWriter::Text(const std::string& text) {
    Uleb(text.size());
    return Raw(Bytes(text.begin(), text.end()));
}

BodyWriter& BodyWriter::Raw(const Bytes& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

namespace {

void Frames(BodyWriter& w, const std::vector<CfiFrameSpec>& frames) {
    w.Uleb(frames.size());
    for (const CfiFrameSpec& f : frames) {
        w.Uleb(f.kind);
        if (f.kind == 0) {
            w.Uleb(f.resource).U8(f.space);
        } else if (f.kind == 1) {
            w.Text8(f.name);
        } else if (f.kind == 2) {
            w.U8(f.space);
        }
    }
}

// Flags from bit 7 down, eight to a byte.
void BitTable(BodyWriter& w, const std::vector<bool>& flags) {
    for (size_t i = 0; i < flags.size(); i += 8) {
        uint8_t b = 0;
        for (size_t j = 0; j < 8 && i + j < flags.size(); ++j) {
            if (flags[i + j]) {
                b |= static_cast<uint8_t>(0x80 >> j);
            }
        }
        w.U8(b);
    }
}

} // namespace

Bytes CfiNamesBody(uint64_t id, const std::vector<CfiFrameSpec>& frames,
                   const std::vector<CfiResourceSpec>& resources) {
    BodyWriter w;
    w.U8(1).Uleb(id);
    Frames(w, frames);
    w.Uleb(resources.size());
    for (const CfiResourceSpec& r : resources) {
        w.Text8(r.name).Uleb(r.size.value_or(2));
    }
    return w.bytes();
}

Bytes CfiVersionedNamesBody(const CfiVersionedNamesSpec& s) {
    BodyWriter w;
    w.U8(5).Uleb(s.id).Uleb(s.version).Uleb(s.base).Uleb(s.defaultSize);
    Frames(w, s.frames);
    if (s.base != 0) {
        w.Uleb(s.changes.size());
        std::vector<bool> flags;
        for (const auto& c : s.changes) {
            flags.push_back(!c.size.has_value());
        }
        BitTable(w, flags);
        for (const auto& c : s.changes) {
            w.Uleb(c.number).Uleb(c.value);
            if (c.size) {
                w.Uleb(*c.size);
            }
        }
        return w.bytes();
    }
    w.Uleb(s.resources.size());
    std::vector<bool> flags;
    for (const CfiResourceSpec& r : s.resources) {
        flags.push_back(!r.size.has_value());
    }
    BitTable(w, flags);
    w.Uleb(s.virtuals.size());
    for (const uint64_t v : s.virtuals) {
        w.Uleb(v);
    }
    for (const CfiResourceSpec& r : s.resources) {
        w.Text8(r.name);
        if (r.size) {
            w.Uleb(*r.size);
        }
    }
    for (const auto& [composite, parts] : s.groups) {
        w.Uleb(parts.size()).Uleb(composite);
        for (const uint64_t p : parts) {
            w.Uleb(p);
        }
    }
    w.Uleb(0);
    return w.bytes();
}

Bytes CfiCommonBody(const CfiCommonSpec& s) {
    BodyWriter w;
    w.U8(2).Uleb(s.id).U8(s.version).Text8(s.augmentation).Uleb(s.codeAlignment);
    w.Sleb(s.dataAlignment).Uleb(s.returnAddress).U8(s.codeByte).Uleb(s.flags).Uleb(s.names);
    w.Raw(s.instructions);
    return w.bytes();
}

Bytes CfiDerivedCommonBody(uint64_t id, uint64_t base, uint64_t flags, uint64_t names,
                           const Bytes& instructions) {
    BodyWriter w;
    w.U8(7).Uleb(id).Uleb(base).Uleb(flags).Uleb(names).Raw(instructions);
    return w.bytes();
}

Bytes CfiDataBody(uint64_t common, uint64_t first, uint64_t second, const Bytes& instructions) {
    BodyWriter w;
    w.U8(3).Uleb(common).Uleb(first).Uleb(second).Raw(instructions);
    return w.bytes();
}

Bytes CfiDataWithKindBody(uint64_t common, uint64_t first, uint64_t second, uint64_t kind,
                          const std::vector<CfiAddressSpec>& addresses, const Bytes& instructions) {
    BodyWriter w;
    w.U8(6).Uleb(common).Uleb(first).Uleb(second).Uleb(kind);
    if (kind == 3) {
        w.Uleb(addresses.size());
        for (const CfiAddressSpec& a : addresses) {
            w.U8(a.kind).Uleb(a.index).Uleb(a.offset);
        }
    }
    w.Raw(instructions);
    return w.bytes();
}

Bytes SourceLinesBody(const std::vector<std::string>& directories,
                      const std::vector<SourceFileSpec>& files, const Bytes& items) {
    BodyWriter w;
    w.Uleb(directories.size());
    for (const std::string& d : directories) {
        w.Text(d);
    }
    w.Uleb(files.size());
    for (const SourceFileSpec& f : files) {
        w.Uleb(f.unused).Text(f.name).Uleb(f.directory);
        if (f.time.empty()) {
            w.U8(0).U8(0).U8(12).U8(1).U8(1).U8(124);
        } else {
            w.Raw(f.time);
        }
        w.Uleb(f.number);
    }
    w.Raw(items);
    return w.bytes();
}

Bytes StatementCommonBody(const StatementCommonSpec& s) {
    BodyWriter w;
    w.U8(1).Uleb(s.id).U8(s.format);
    w.Uleb(s.p1).Sleb(s.p2).Uleb(s.p3).Sleb(s.p4).Uleb(s.p5).Sleb(s.p6).Uleb(s.p7);
    w.U8(static_cast<uint8_t>(s.bytes.size())).Raw(s.bytes);
    return w.bytes();
}

Bytes StatementBody(uint64_t id, uint64_t count, const Bytes& rest) {
    BodyWriter w;
    w.U8(2).Uleb(id).Uleb(count).Raw(rest);
    return w.bytes();
}

Bytes ReadOperationBody(uint64_t flags, std::optional<uint64_t> a, uint64_t b,
                        const std::vector<uint64_t>& numbers) {
    BodyWriter w;
    w.Uleb(flags);
    if (a) {
        w.Uleb(*a);
    }
    if ((flags & 2) == 0) {
        w.Uleb(b);
    }
    if ((flags & 0x3C) == 0x14) {
        w.Uleb(numbers.size());
    }
    for (const uint64_t n : numbers) {
        w.Uleb(n);
    }
    return w.bytes();
}

} // namespace ubrof_test
