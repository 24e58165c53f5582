#include "ubrof/read_operation.h"

#include <string>

#include "ubrof/cfi_reader.h"
#include "ubrof/fatal.h"
#include "ubrof/record_cursor.h"

namespace ubrof {

uint32_t ReadOperationPool::Add(CountedHandle<ReadOperation> operation) {
    Key key(operation->entries, operation->value);
    auto it = nodes_.find(key);
    if (it == nodes_.end()) {
        it = nodes_.emplace(std::move(key), std::move(operation)).first;
    }
    byId_.push_back(it->second);
    return nextId_++;
}

const ReadOperation* ReadOperationPool::Node(uint32_t id) const {
    return id < byId_.size() ? byId_[id].get() : nullptr;
}

void ReadOperationReader(const std::vector<uint8_t>& body, const OgUbrofCfi& cfi,
                         ReadOperationPool& pool) {
    RecordCursor in(body);
    const uint32_t flags = in.Uleb();
    CountedHandle<ReadOperation> operation(new ReadOperation());
    if ((flags & 1) != 0) {
        operation->value = in.Uleb();
    }
    const uint32_t namesId = (flags & 2) != 0 ? 0 : in.Uleb();
    uint32_t count = 0;
    switch (flags & 0x3C) {
    case 0x00:
        count = 1;
        break;
    case 0x04:
        count = 2;
        break;
    case 0x08:
        count = 3;
        break;
    case 0x0C:
        count = 4;
        break;
    case 0x10:
        count = 8;
        break;
    case 0x14:
        count = in.Uleb();
        break;
    default:
        UbrofFatal("Unknown flag in Read operation.");
    }
    operation->names = cfi.NamesBlockHandle(namesId);
    if (!operation->names) {
        UbrofFatal("No NAMES block defined for id " + std::to_string(namesId));
    }
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t number = in.Uleb();
        operation->names->CheckResource(number);
        operation->entries.push_back(operation->names->Resource(number));
    }
    pool.Add(std::move(operation));
}

} // namespace ubrof
