#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ubrof/cfi_reader.h"
#include "ubrof/counted.h"
#include "ubrof/read_operation.h"
#include "ubrof/source_lines.h"
#include "ubrof/statement_info.h"
#include "ubrof/tagged_address.h"

namespace ubrof {

// Everything one conversion gathers besides the code: module names and the
// debug records, parsed by their readers. The blocks that the records
// register by id stay known for the whole file. The collector owns what it
// holds and drops it when the conversion ends; nothing of it reaches the
// text.
class UbrofCollector {
public:
    using Body = std::vector<uint8_t>;
    // Call-frame records one file may hold.
    static constexpr unsigned kMaxCallFrameRecords = 1000000;

    void AddModule(const std::string& name);
    // A data block is kept under the address; a later one there replaces it.
    void AddCallFrameInfo(const TaggedAddress& address, const Body& body);
    // A statement is kept under the address; a later one there replaces it.
    void AddStatementInfo(const TaggedAddress& address, const Body& body);
    void AddSourceLines(const Body& body);
    void AddReadOperation(const Body& body);

    const std::vector<std::string>& ModuleNames() const { return moduleNames_; }
    // One entry per source-lines record, and a null one per module record.
    const std::vector<CountedHandle<SourceLines>>& SourceLinesList() const { return sourceLines_; }
    const std::map<TaggedAddress, CountedHandle<CfiDataBlock>>& CallFrameInfo() const {
        return callFrameInfo_;
    }
    const std::map<TaggedAddress, CountedHandle<Statement>>& StatementInfo() const {
        return statementInfo_;
    }
    const OgUbrofCfi& Cfi() const { return cfi_; }
    const StatementCommonTable& StatementCommons() const { return statementCommons_; }
    const ReadOperationPool& ReadOperations() const { return readOperations_; }

private:
    unsigned callFrameRecords_ = 0;
    std::vector<std::string> moduleNames_;
    OgUbrofCfi cfi_;
    StatementCommonTable statementCommons_;
    ReadOperationPool readOperations_;
    std::vector<CountedHandle<SourceLines>> sourceLines_;
    std::map<TaggedAddress, CountedHandle<CfiDataBlock>> callFrameInfo_;
    std::map<TaggedAddress, CountedHandle<Statement>> statementInfo_;
};

} // namespace ubrof
