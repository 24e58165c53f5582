#include "ubrof/collector.h"

#include <utility>

void UbrofCollector::AddModule(const std::string& name) {
    moduleNames_.push_back(name);
    sourceLines_.emplace_back();
}

void UbrofCollector::AddCallFrameInfo(const TaggedAddress& address, Body body) {
    callFrameInfo_[address] = std::move(body);
}

void UbrofCollector::AddStatementInfo(const TaggedAddress& address, Body body) {
    statementInfo_[address] = std::move(body);
}

void UbrofCollector::AddSourceLines(Body body) {
    sourceLines_.push_back(std::move(body));
}

void UbrofCollector::AddReadOperation(Body body) {
    readOperations_.push_back(std::move(body));
}
