#include "ui/termination.h"

#include "ui/backend.h"
#include "ui/dialog_state.h"
#include "ui/globals.h"
#include "ui/transcript.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace ui {
namespace {

volatile std::sig_atomic_t g_requested = 0;
// The self-pipe: the signal handler writes a byte so that an event loop
// waiting for input wakes up (the Qt back end watches the read end).
int g_wake[2] = {-1, -1};

void Wake() {
    if (g_wake[1] >= 0) {
        const char b = 't';
        [[maybe_unused]] ssize_t n = ::write(g_wake[1], &b, 1);
    }
}

extern "C" void OnTerminationSignal(int) {
    const int saved = errno;
    g_requested = 1;
    Wake();
    errno = saved;
}

} // namespace

void TerminationSignalsCatch() {
    if (g_wake[0] < 0) {
        if (::pipe2(g_wake, O_NONBLOCK | O_CLOEXEC) != 0) {
            g_wake[0] = g_wake[1] = -1;
        }
    }
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(s, &action, nullptr);
    }
}

bool TerminationRequested() {
    return g_requested != 0;
}

void TerminationRequest() {
    g_requested = 1;
    Wake();
}

void TerminationClear() {
    g_requested = 0;
    detail::TerminationWakeDrain();
}

namespace detail {

int TerminationWakeFd() {
    return g_wake[0];
}

void TerminationWakeDrain() {
    if (g_wake[0] < 0) {
        return;
    }
    char buffer[64];
    while (::read(g_wake[0], buffer, sizeof buffer) > 0) {
    }
}

void TerminationDispatch() {
    if (g_requested == 0) {
        return;
    }
    CurrentBackend().TerminationArrived();
    Dialog* top = TopDialog();
    if (top == nullptr) {
        return;
    }
    DialogState& s = DialogAccess::State(*top);
    // A dialog whose handler runs closes when the handler has returned;
    // one that was ended once is not ended again.
    if (!s.open || s.ending || s.handlerDepth > 0 || s.terminated) {
        return;
    }
    s.terminated = true;
    TranscriptAdd(Tag(*top) + "termination signal: closing");
    DialogAccess::CloseForTermination(*top);
    if (s.open && !s.ending) {
        top->EndDialog(IDCANCEL);
    }
}

} // namespace detail
} // namespace ui
