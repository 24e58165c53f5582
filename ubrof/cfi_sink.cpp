#include "ubrof/cfi_sink.h"

namespace ubrof {

void CfiSinkBroadcaster::Op33() {
    for (CfiInstructionSink* s : sinks_) {
        s->Op33();
    }
}

void CfiSinkBroadcaster::Op34() {
    for (CfiInstructionSink* s : sinks_) {
        s->Op34();
    }
}

void CfiSinkBroadcaster::CfaRule(uint32_t frame, uint32_t resource, int32_t offset) {
    for (CfiInstructionSink* s : sinks_) {
        s->CfaRule(frame, resource, offset);
    }
}

void CfiSinkBroadcaster::Op31(uint32_t frame) {
    for (CfiInstructionSink* s : sinks_) {
        s->Op31(frame);
    }
}

void CfiSinkBroadcaster::CfaExpression(uint32_t frame, const Expression& expression) {
    for (CfiInstructionSink* s : sinks_) {
        s->CfaExpression(frame, expression);
    }
}

void CfiSinkBroadcaster::Op37(uint32_t frame) {
    for (CfiInstructionSink* s : sinks_) {
        s->Op37(frame);
    }
}

void CfiSinkBroadcaster::Undefined(uint32_t resource) {
    for (CfiInstructionSink* s : sinks_) {
        s->Undefined(resource);
    }
}

void CfiSinkBroadcaster::SameValue(uint32_t resource) {
    for (CfiInstructionSink* s : sinks_) {
        s->SameValue(resource);
    }
}

void CfiSinkBroadcaster::Offset(uint32_t resource, uint32_t frame, int32_t offset) {
    for (CfiInstructionSink* s : sinks_) {
        s->Offset(resource, frame, offset);
    }
}

void CfiSinkBroadcaster::Register(uint32_t resource, uint32_t holder) {
    for (CfiInstructionSink* s : sinks_) {
        s->Register(resource, holder);
    }
}

void CfiSinkBroadcaster::Restore(uint32_t resource) {
    for (CfiInstructionSink* s : sinks_) {
        s->Restore(resource);
    }
}

void CfiSinkBroadcaster::RuleExpression(uint32_t resource, const Expression& expression) {
    for (CfiInstructionSink* s : sinks_) {
        s->RuleExpression(resource, expression);
    }
}

void CfiSinkBroadcaster::RememberState() {
    for (CfiInstructionSink* s : sinks_) {
        s->RememberState();
    }
}

void CfiSinkBroadcaster::RestoreState() {
    for (CfiInstructionSink* s : sinks_) {
        s->RestoreState();
    }
}

void CfiSinkBroadcaster::Advance(uint32_t location) {
    for (CfiInstructionSink* s : sinks_) {
        s->Advance(location);
    }
}

} // namespace ubrof
