#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ubrof/tagged_address.h"

// Everything one conversion gathers besides the code: module names and the
// debug records. The debug records are kept as their bodies until their
// readers parse them into objects; the collector owns what it holds and
// drops it when the conversion ends.
class UbrofCollector {
public:
    using Body = std::vector<uint8_t>;

    void AddModule(const std::string& name);
    void AddCallFrameInfo(const TaggedAddress& address, Body body);
    void AddStatementInfo(const TaggedAddress& address, Body body);
    void AddSourceLines(Body body);
    void AddReadOperation(Body body);

    const std::vector<std::string>& ModuleNames() const { return moduleNames_; }
    // One entry per source-lines record, and an empty one per module record.
    const std::vector<Body>& SourceLines() const { return sourceLines_; }
    const std::map<TaggedAddress, Body>& CallFrameInfo() const { return callFrameInfo_; }
    const std::map<TaggedAddress, Body>& StatementInfo() const { return statementInfo_; }
    const std::vector<Body>& ReadOperations() const { return readOperations_; }

private:
    std::vector<std::string> moduleNames_;
    std::vector<Body> sourceLines_;
    std::map<TaggedAddress, Body> callFrameInfo_;
    std::map<TaggedAddress, Body> statementInfo_;
    std::vector<Body> readOperations_;
};
