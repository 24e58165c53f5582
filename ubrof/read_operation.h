#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "ubrof/cfi_names.h"
#include "ubrof/counted.h"

namespace ubrof {

class OgUbrofCfi;

// What a read-operation record describes: entries of a names block of
// call-frame information and an optional value.
class ReadOperation : public CountedObject {
public:
    // Keeps the names block that holds the entries.
    CountedHandle<CfiNamesBlock> names;
    std::vector<const CfiResource*> entries;
    std::optional<uint32_t> value;
};

// The read operations of one file. Equal descriptors (the same entries and
// value) share one node; every record takes the next id from 0 on.
class ReadOperationPool {
public:
    // Interns the descriptor and gives it the record's id.
    uint32_t Add(CountedHandle<ReadOperation> operation);

    uint32_t Count() const { return nextId_; }
    // The node of the record with that id, null for an id not given.
    const ReadOperation* Node(uint32_t id) const;
    size_t DistinctNodes() const { return nodes_.size(); }

private:
    using Key = std::pair<std::vector<const CfiResource*>, std::optional<uint32_t>>;
    std::map<Key, CountedHandle<ReadOperation>> nodes_;
    std::vector<CountedHandle<ReadOperation>> byId_;
    uint32_t nextId_ = 0;
};

// Parses a read-operation record body into the pool, with the names blocks
// of the file's call-frame-information reader.
void ReadOperationReader(const std::vector<uint8_t>& body, const OgUbrofCfi& cfi,
                         ReadOperationPool& pool);

} // namespace ubrof
