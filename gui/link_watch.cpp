#include "gui/link_watch.h"

#include "core/debug_api.h"
#include "core/debug_error_table.h"
#include "core/target_connect.h"
#include "core/target_state.h"

#include <cstring>

namespace gui {

LinkWatchState LinkWatch;

namespace {

const core::DebugApi* Inner = nullptr;
core::DebugApi Watch{};

void Note(int32_t status) {
    if (status != core::kDebugFailed || Inner == nullptr || Inner->Error_Number == nullptr) {
        return;
    }
    if (Inner->Error_Number() != kLinkGaveUpError || LinkWatch.gaveUp) {
        return;
    }
    LinkWatch.gaveUp = true;
    // The library's own words first; our table's when it has none.
    const char* text =
        Inner->Error_String != nullptr ? Inner->Error_String(kLinkGaveUpError) : nullptr;
    if (text == nullptr || *text == '\0') {
        text = core::DebugErrorText(kLinkGaveUpError);
    }
    LinkWatch.reason = std::string(text != nullptr ? text : "") + "\r\n";
    // The run that lost the link reports why it failed.
    core::Target.TargetErrorLog += LinkWatch.reason;
}

template <auto Member, typename... Args> int32_t Watched(Args... args) {
    const int32_t status = (Inner->*Member)(args...);
    Note(status);
    return status;
}

template <auto Member, typename R, typename... Args> void Wrap(R (*&slot)(Args...)) {
    slot = (Inner->*Member) != nullptr ? &Watched<Member, Args...> : nullptr;
}

} // namespace

void LinkWatchInstall() {
    const core::DebugApi& current = core::DebugApiInUse();
    if (&current == &Watch) {
        return;
    }
    using A = core::DebugApi;
    Inner = &current;
    Watch = current;
#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments, uses)                               \
    if constexpr (((uses)&core::kEntryLinkWatched) != 0) {                                         \
        Wrap<&A::name>(Watch.name);                                                                \
    }
#include "core/debug_entries.def"
    core::DebugApiUse(&Watch);
}

bool LinkWatchReopenPending() {
    if (!LinkWatch.gaveUp) {
        return false;
    }
    LinkWatch.gaveUp = false;
    // The library has let its side go already; closing ours as well makes
    // the open that follows a real one, on whatever port the adapter has now.
    core::TargetClose();
    return true;
}

void LinkWatchReset() {
    LinkWatch.Reset();
    if (&core::DebugApiInUse() == &Watch) {
        core::DebugApiUse(Inner);
    }
    Inner = nullptr;
}

} // namespace gui
