#include "ubrof/collector.h"

#include "ubrof/fatal.h"

namespace ubrof {

void UbrofCollector::AddModule(const std::string& name) {
    moduleNames_.push_back(name);
    sourceLines_.emplace_back();
}

void UbrofCollector::AddCallFrameInfo(const TaggedAddress& address, const Body& body) {
    // Each record is a little work and a little memory; far more of them
    // than any build holds is a crafted file.
    UbrofCheck(++callFrameRecords_ <= kMaxCallFrameRecords,
               "Too many call frame info records: more than %u", kMaxCallFrameRecords);
    CountedHandle<CfiDataBlock> data = cfi_.Read(body, address);
    if (data) {
        callFrameInfo_[address] = std::move(data);
    }
}

void UbrofCollector::AddStatementInfo(const TaggedAddress& address, const Body& body) {
    CountedHandle<Statement> statement = StatementInfoReader(body, statementCommons_);
    if (statement) {
        statementInfo_[address] = std::move(statement);
    }
}

void UbrofCollector::AddSourceLines(const Body& body) {
    sourceLines_.push_back(SourceLinesReader(body));
}

void UbrofCollector::AddReadOperation(const Body& body) {
    ReadOperationReader(body, cfi_, readOperations_);
}

} // namespace ubrof
