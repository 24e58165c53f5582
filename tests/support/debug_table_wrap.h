#pragma once
// A debug table that stands in front of another: each entry first calls
// Hook::Before(name, arguments...) ("MSP430_<name>"), then the same entry of
// the table behind it. Built from the one list of entries
// (core/debug_entries.def), so a new entry is wrapped without a word here.
// A hook decides for itself which entries it notes.

#include "core/debug_api.h"

namespace testsupport {

template <typename Hook> class DebugTableWrap {
public:
    // The table in front of inner, which the caller keeps alive; one inner
    // table per hook.
    static core::DebugApi Make(const core::DebugApi& inner) {
        Inner() = &inner;
        core::DebugApi api = inner;
#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments, uses)                               \
    Wrap<&core::DebugApi::name>(api.name, "MSP430_" #name);
#include "core/debug_entries.def"
        return api;
    }

private:
    static const core::DebugApi*& Inner() {
        static const core::DebugApi* inner = nullptr;
        return inner;
    }
    template <auto Member> static const char*& NameOf() {
        static const char* name = nullptr;
        return name;
    }
    template <auto Member, typename R, typename... Args> static R Call(Args... args) {
        Hook::Before(NameOf<Member>(), args...);
        return (Inner()->*Member)(args...);
    }
    template <auto Member, typename R, typename... Args>
    static void Wrap(R (*&slot)(Args...), const char* name) {
        NameOf<Member>() = name;
        slot = slot != nullptr ? &Call<Member, R, Args...> : nullptr;
    }
};

} // namespace testsupport
