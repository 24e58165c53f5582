// quill-emu-fet: an emulated MSP-FET430UIF on a pseudo-terminal, registered
// under a COM name in the emulated-adapters directory. Prints the COM name,
// then answers until killed or until a line "stop" comes on its input.

#include "platform/emulated_adapters.h"
#include "sim/emu_adapter.h"
#include "sim/emu_board.h"
#include "sim/emu_pty.h"
#include "sim/emu_target_handler.h"
#include "sim/sim_target.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <set>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

constexpr char kUsage[] =
    "usage: quill-emu-fet [--port COMn] [--dir DIR] [--row N | --device NAME] [--firmware N]\n"
    "                     [--adapter-data TEXT] [--delay MS] [--stall MS [--stall-at N]]\n"
    "                     [--baud N] [--bootloader]\n"
    "  --port COMn    the name to register (default: the first free of COM200..COM999)\n"
    "  --dir DIR      the emulated-adapters directory (default: $QUILL_EMULATED_ADAPTERS)\n"
    "  --row N        the target: row N of the device list (default: the row named 149)\n"
    "  --device NAME  the target: the device-list row of that name (149, 2274, 5438 ...)\n"
    "  --firmware N   firmware version the connect reports (default 20304000)\n"
    "  --adapter-data TEXT  what the adapter-data query answers (default UIF; E... marks\n"
    "                 an adapter running in its bootloader)\n"
    "  --delay MS     answer every request this many milliseconds late\n"
    "  --stall MS     once, take nothing in for MS milliseconds, then carry out and answer\n"
    "                 everything that arrived meanwhile, in order\n"
    "  --stall-at N   the stall begins at request N (counted from 0, default 0)\n"
    "  --baud N       pace the link at N baud (8N1: N/10 bytes a second each way)\n"
    "  --bootloader   only the adapter's bootloader answers\n"
    "Prints the COM name, then answers until killed or until the line \"stop\" on stdin.\n";

int Usage(const char* complaint) {
    std::fprintf(stderr, "quill-emu-fet: %s\n%s", complaint, kUsage);
    return 2;
}

bool ParseNumber(const char* text, uint32_t* value) {
    char* end = nullptr;
    errno = 0;
    unsigned long v = std::strtoul(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v > 0xFFFFFFFFul) {
        return false;
    }
    *value = static_cast<uint32_t>(v);
    return true;
}

std::string FreePortName(const std::string& directory) {
    std::set<std::string> taken;
    for (const auto& e : platform::ListEmulatedPorts(directory)) {
        taken.insert(e.port_name);
    }
    for (int n = 200; n <= 999; ++n) {
        std::string name = "COM" + std::to_string(n);
        if (taken.count(name) == 0) {
            return name;
        }
    }
    return "";
}

// True for a line "stop" (surrounding blanks ignored).
bool IsStop(std::string line) {
    while (!line.empty() && std::strchr(" \t\r", line.back()) != nullptr) {
        line.pop_back();
    }
    size_t start = line.find_first_not_of(" \t");
    return start != std::string::npos && line.substr(start) == "stop";
}

} // namespace

int main(int argc, char** argv) {
    std::string port;
    std::string directory = platform::EmulatedAdaptersDirectory();
    sim::SimTarget target;
    sim::EmuTargetHandler handler(target);
    sim::EmuFaults faults;
    std::string device = "149";
    uint32_t row = 0;
    uint32_t baud = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--port" && has_value) {
            port = argv[++i];
        } else if (a == "--dir" && has_value) {
            directory = argv[++i];
        } else if (a == "--row" && has_value) {
            if (!ParseNumber(argv[++i], &row) || row == 0) {
                return Usage("--row wants a device-list row from 1 on");
            }
        } else if (a == "--device" && has_value) {
            device = argv[++i];
            row = 0;
        } else if (a == "--adapter-data" && has_value) {
            const std::string text = argv[++i];
            handler.adapter_data.assign(text.begin(), text.end());
        } else if (a == "--firmware" && has_value) {
            if (!ParseNumber(argv[++i], &handler.firmware_version)) {
                return Usage("--firmware wants a number");
            }
        } else if (a == "--delay" && has_value) {
            if (!ParseNumber(argv[++i], &faults.delay_ms)) {
                return Usage("--delay wants a number of milliseconds");
            }
        } else if (a == "--stall" && has_value) {
            if (!ParseNumber(argv[++i], &faults.stall_ms)) {
                return Usage("--stall wants a number of milliseconds");
            }
        } else if (a == "--baud" && has_value) {
            if (!ParseNumber(argv[++i], &baud) || baud == 0) {
                return Usage("--baud wants a number of bits a second");
            }
        } else if (a == "--stall-at" && has_value) {
            if (!ParseNumber(argv[++i], &faults.stall_at)) {
                return Usage("--stall-at wants a request number");
            }
        } else if (a == "--bootloader") {
            faults.bootloader = true;
        } else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            return Usage(("unknown argument: " + a).c_str());
        }
    }
    const bool placed = row != 0 ? sim::EmuSelectDeviceRow(target, static_cast<int32_t>(row)) == 0
                                 : sim::EmuSelectDeviceNamed(target, device) > 0;
    if (!placed) {
        return Usage("no such device in the device list");
    }
    if (directory.empty()) {
        return Usage("no emulated-adapters directory: set QUILL_EMULATED_ADAPTERS or --dir");
    }
    if (port.empty()) {
        port = FreePortName(directory);
    }
    if (!platform::IsComPortName(port)) {
        return Usage(("not a COM port name: " + port).c_str());
    }

    // Signals arrive through a descriptor, so that the port is always
    // unregistered on the way out. Blocked before the server thread starts,
    // which inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    const int signal_fd = signalfd(-1, &signals, SFD_CLOEXEC);
    if (signal_fd < 0) {
        std::fprintf(stderr, "quill-emu-fet: signalfd: %s\n", std::strerror(errno));
        return 1;
    }

    sim::EmuAdapter adapter(handler, sim::EmuLink::kSerial);
    adapter.SetFaults(faults);
    sim::EmuPtyServer server(adapter);
    server.SetBaud(baud);
    std::string error;
    if (!server.Start(directory, port, &error)) {
        std::fprintf(stderr, "quill-emu-fet: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", port.c_str());
    std::fflush(stdout);

    bool watch_input = true;
    std::string line;
    for (;;) {
        struct pollfd p[2] = {{signal_fd, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        int r = poll(p, watch_input ? 2 : 1, -1);
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r < 0 || (p[0].revents & POLLIN) != 0) {
            break;
        }
        if (watch_input && (p[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            char buffer[256];
            ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) {
                watch_input = false; // no control input: run until killed
                continue;
            }
            line.append(buffer, static_cast<size_t>(n));
            bool stop = false;
            for (size_t nl; (nl = line.find('\n')) != std::string::npos; line.erase(0, nl + 1)) {
                stop = stop || IsStop(line.substr(0, nl));
            }
            if (stop) {
                break;
            }
        }
    }
    server.Stop();
    close(signal_fd);
    return 0;
}
