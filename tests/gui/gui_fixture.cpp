#include "tests/gui/gui_fixture.h"

#include "tests/support/debug_table_wrap.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string_view>

namespace guitest {
namespace {

void Noted(const std::string& call) {
    ui::TranscriptAdd("debug " + call);
}

std::string Num(int32_t v) {
    return std::to_string(v);
}

// The transcript notes every call that reaches the adapter, and the
// arguments of those whose values the tests read.
bool NameIn(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The text of an argument the note shows: numbers and names; pointers to
// what a call fills are left out.
void AppendArgument(std::string& text, const char* s) {
    text += text.back() == '(' ? "" : ", ";
    text += s != nullptr ? s : "";
}
void AppendArgument(std::string& text, int32_t v) {
    text += text.back() == '(' ? "" : ", ";
    text += Num(v);
}
template <typename T> void AppendArgument(std::string&, T*) {}

struct NoteHook {
    template <typename... Args> static void Before(const char* name, Args... args) {
        if (NameIn(name, {"MSP430_Error_Number", "MSP430_Error_String", "MSP430_RegisterAccess",
                          "MSP430_RunCpu", "MSP430_CpuState", "MSP430_ReadSupply"})) {
            return;
        }
        if (!NameIn(name,
                    {"MSP430_Initialize", "MSP430_Close", "MSP430_Configure", "MSP430_VCC"})) {
            Noted(name);
            return;
        }
        std::string text = std::string(name) + "(";
        (AppendArgument(text, args), ...);
        Noted(text + ")");
    }
};

} // namespace

const core::DebugApi& NotedSimApi() {
    static const core::DebugApi noted =
        testsupport::DebugTableWrap<NoteHook>::Make(sim::SimDebugApi());
    return noted;
}

std::vector<std::string> LinesWith(const std::vector<std::string>& fragments) {
    std::vector<std::string> out;
    for (const std::string& line : ui::TranscriptLines()) {
        for (const std::string& f : fragments) {
            if (line.find(f) != std::string::npos) {
                out.push_back(line);
                break;
            }
        }
    }
    return out;
}

} // namespace guitest
