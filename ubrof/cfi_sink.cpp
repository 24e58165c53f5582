#include "ubrof/cfi_sink.h"

#include "ubrof/cfi_names.h"

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

CfiRowRecorder::CfiRowRecorder(const CfiNamesBlock& names, CfiInstructionSink& first,
                               CfiInstructionSink& second)
    : names_(names) {
    AddSink(&first);
    AddSink(&second);
    const uint32_t count = names.ResourceCount();
    for (uint32_t r = 0; r < count; ++r) {
        for (const uint32_t part : names.Resource(r)->parts) {
            compositeOf_[part] = r;
        }
    }
}

int64_t CfiRowRecorder::CompositeOf(uint32_t resource) const {
    const auto it = compositeOf_.find(resource);
    return it == compositeOf_.end() ? -1 : it->second;
}

int CfiRowRecorder::CompositeKind(uint32_t composite) const {
    const auto it = compositeKind_.find(composite);
    return it == compositeKind_.end() ? 0 : it->second;
}

void CfiRowRecorder::Track(uint32_t resource, int kind) {
    const auto it = compositeOf_.find(resource);
    if (it == compositeOf_.end()) {
        return;
    }
    partKind_[resource] = kind;
    // The composite's parts as they stand now; a part not yet given a rule
    // leaves the composite unknown.
    int common = -1;
    for (const uint32_t part : names_.Resource(it->second)->parts) {
        const auto known = partKind_.find(part);
        const int k = known == partKind_.end() ? 0 : known->second;
        common = common == -1 || common == k ? k : 0;
    }
    compositeKind_[it->second] = common < 0 ? 0 : common;
}

void CfiRowRecorder::Undefined(uint32_t resource) {
    CfiSinkBroadcaster::Undefined(resource);
    Track(resource, 2);
}

void CfiRowRecorder::SameValue(uint32_t resource) {
    CfiSinkBroadcaster::SameValue(resource);
    Track(resource, 3);
}

void CfiRowRecorder::Offset(uint32_t resource, uint32_t frame, int32_t offset) {
    CfiSinkBroadcaster::Offset(resource, frame, offset);
    Track(resource, 1);
}

void CfiRowRecorder::Register(uint32_t resource, uint32_t holder) {
    CfiSinkBroadcaster::Register(resource, holder);
    Track(resource, 4);
}

void CfiRowRecorder::Restore(uint32_t resource) {
    CfiSinkBroadcaster::Restore(resource);
    Track(resource, 5);
}

void CfiRowRecorder::RuleExpression(uint32_t resource, const Expression& expression) {
    CfiSinkBroadcaster::RuleExpression(resource, expression);
    Track(resource, 6);
}
