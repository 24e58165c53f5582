// A project file of any bytes is read without a crash or a read out of
// bounds, and a refused file changes nothing. The first byte chooses how
// the rest is used:
//   bit 0  0: the rest is the file as it is;
//          1: the rest is plain project text that is scrambled here the way
//             a mode-1 writer does, so key lines and HEX lines get reached;
//   bit 1  (plain text) close it with a correct checksum line;
//   bit 3  (plain text, bit 1 clear) close it with a wrong checksum line;
//   bit 2  a password prompt is answered with the fuzz password (else
//          cancelled).

#include "core/core_state.h"
#include "gui/project/project_fingerprint.h"
#include "gui/project/project_password_dialog.h"
#include "gui/project/project_read.h"
#include "gui/project/project_state.h"
#include "tests/project/project_fixture.h"
#include "ui/test_session.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The seed corpus's mode-2 project uses this password, its mode-3 project
// this PC number.
constexpr const char* kFuzzPassword = "Pa55 word";
constexpr uint32_t kFuzzPc = 0x1234ABCDu;

const std::string& FilePath() {
    static const std::string path = [] {
        char name[] = "/tmp/fuzz-project-XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd >= 0) {
            ::close(fd);
        }
        return std::string(name);
    }();
    return path;
}

std::vector<std::string> PlainLines(const uint8_t* data, size_t size) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n' || c == '\r') {
            if (!line.empty()) {
                lines.push_back(line + "\r\n");
                line.clear();
            }
        } else {
            line.push_back(c);
        }
    }
    if (!line.empty()) {
        lines.push_back(line + "\r\n");
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool setUp = [] {
        gui::PcVolumeSourceSet([](const std::string& path, gui::PcVolume& volume) {
            volume = {1, kFuzzPc};
            return path == "/";
        });
        return true;
    }();
    (void)setUp;
    if (size == 0) {
        return 0;
    }
    const uint8_t flags = data[0];
    std::string file;
    if (flags & 1) {
        file = projecttest::ScrambleProjectText(PlainLines(data + 1, size - 1), "",
                                                gui::kProjectTargetTag, "", (flags & 0x0A) != 0,
                                                (flags & 2) ? 0 : 1);
    } else {
        file.assign(reinterpret_cast<const char*>(data + 1), size - 1);
    }
    std::FILE* f = std::fopen(FilePath().c_str(), "wb");
    if (f == nullptr) {
        return 0;
    }
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);

    // Kept from run to run: the images are over a megabyte. The copy is
    // taken again only after a file that loaded: a refused one has just been
    // shown to leave the state as the copy holds it.
    static projecttest::StateCopy before;
    static projecttest::StateCopy after;
    static bool beforeStale = true;
    if (beforeStale) {
        before.Refresh();
    }
    ui::TestSession session;
    if (flags & 4) {
        session.OnDialog(gui::IDD_PRJ_PASSWORD, [](ui::Driver& d) {
            d.Type(gui::IDC_PRJ_PASSWORD, kFuzzPassword);
            d.Click(ui::IDOK);
        });
    }
    const int32_t result = gui::ProjectRead(FilePath());
    if (gui::Project.ProjectScrambleOn != 0) {
        std::abort();
    }
    beforeStale = result != 0;
    if (result == 0) {
        after.RefreshLive();
        if (!projecttest::StateDifference(before, after).empty()) {
            std::abort(); // a refused file changed something
        }
    }
    if (result != 0 && result != 1) {
        std::abort();
    }
    return 0;
}
