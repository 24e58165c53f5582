// The registry of process state against the sources: every mutable object
// a product folder defines at namespace scope is either in that folder's
// table or named below with the reason it is no state a reset owes. A new
// state struct left out of its table fails here, before a test or a library
// load finds it still holding the last run's values.

#include "api/api_state.h"
#include "api/library_start.h"
#include "core/core_state.h"
#include "core/settings.h"
#include "core/state_registry.h"
#include "debugif/api_state.h"
#include "debugif/debugif_reset.h"
#include "debugif/link_timing.h"
#include "gui/gui_state.h"
#include "gui/project/project_state.h"
#include "gui/sn_dialogs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Folder {
    const char* path; // below the source tree, not searched recursively
    std::vector<core::StateTable (*)()> tables;
};

const Folder kFolders[] = {
    {"core", {&core::CoreStateObjects}},
    {"debugif", {&debugif::DebugifStateObjects}},
    {"gui/project", {&gui::ProjectStateObjects}},
    {"gui", {&gui::GuiStateObjects}},
    {"api", {&api::ApiStateObjects}},
    // Folders that keep no state a reset owes: every mutable object there
    // is below, with its reason, and a new one fails.
    {"platform", {}},
    {"ubrof", {}},
    {"steps", {}},
    {"ui", {}},
    // sim/ is the tests' simulator, not part of either deliverable; its
    // state is reset by its own fixtures.
};

// File-local objects that are no entry of their own. `coveredBy` names the
// entry whose reset puts them back; nullptr means no reset owes them
// anything, for the reason given.
struct NotAnEntry {
    const char* file;
    const char* name;
    const char* coveredBy;
    const char* why;
};

// A seam: a pointer to the service in use (the system's, or the one the
// program or a test installed), or the system's service itself.
constexpr const char* kSeam = "a service seam, installed by the program or tests";

const NotAnEntry kNotEntries[] = {
    {"platform/clock.cpp", "systemClock", nullptr, kSeam},
    {"platform/clock.cpp", "current", nullptr, kSeam},
    {"platform/process.cpp", "systemLauncher", nullptr, kSeam},
    {"platform/process.cpp", "current", nullptr, kSeam},
    {"platform/prompt.cpp", "headless", nullptr, kSeam},
    {"platform/prompt.cpp", "current", nullptr, kSeam},
    {"platform/sound.cpp", "gService", nullptr, kSeam},
    {"platform/sound.cpp", "gDeviceOverride", nullptr, kSeam},
    {"platform/volume_id.cpp", "systemVolumes", nullptr, kSeam},
    {"platform/volume_id.cpp", "current", nullptr, kSeam},
    {"platform/sysfs_discovery.cpp", "DeviceSetupInUse", nullptr, kSeam},
    {"platform/text_viewer.cpp", "viewer", nullptr, kSeam},
    {"platform/text_viewer.cpp", "failedHandler", nullptr, kSeam},
    {"platform/module_path.cpp", "directoryOverride", nullptr, kSeam},
    {"platform/append_file.cpp", "g_appendHook", nullptr, kSeam},
    {"platform/atomic_file.cpp", "g_commitHook", nullptr, kSeam},
    {"platform/file_lock.cpp", "g_locksSkipped", nullptr, kSeam},
    {"platform/prompt.cpp", "openMs", nullptr,
     "only ever counts up: a run takes the difference from its start"},
    {"platform/os_error.cpp", "SystemError", nullptr,
     "the last OS error, read right after the call that set it, as errno is"},
    {"ubrof/code_map.cpp", "ubrofCodeMap", nullptr, "emptied at the start of every conversion"},
    {"ui/termination.cpp", "g_requested", nullptr,
     "a termination signal's flag: it ends the process's dialogs for good"},
    {"ui/termination.cpp", "g_wake", nullptr, "the signal handler's wake pipe, for the process"},
    {"ui/qt_app.cpp", "g_previousHandler", nullptr,
     "Qt's message handler before ours, put back when ours goes"},
    {"ui/qt_backend.cpp", "g_backend", nullptr, "the Qt back end while one exists"},
    {"ui/qt_backend.cpp", "g_prompts", nullptr, kSeam},
    {"ui/qt_backend.cpp", "g_modalStack", nullptr,
     "the boxes and dialogs on the screen, empty once they are closed"},
    {"core/debug_api.cpp", "apiInUse", "DebugApiInUse", "the debug table in use"},
    {"core/project_line_write.cpp", "InstalledFilter", nullptr,
     "the project files' line filter, installed by the program at start"},
    {"core/target_connect.cpp", "OpenRule", nullptr,
     "the deliverable's open rule, installed at start or load"},
    {"gui/link_watch.cpp", "Watch", "LinkWatch", "the watch's own table"},
    {"gui/link_watch.cpp", "Inner", "LinkWatch", "the table the watch stands in front of"},
    {"gui/sn_hooks.cpp", "g_hooks", "SerializationHooks", "the serialization table in use"},
    {"gui/sn_history.cpp", "g_index", nullptr,
     "a cache of the history text, rebuilt when the text's generation changes"},
    {"gui/sn_history.cpp", "g_historyGeneration", nullptr,
     "only ever counts up, so a cache is never taken for a newer text"},
    {"gui/programmer_app.cpp", "TheApp", nullptr, "the application object itself"},
    {"gui/project/project_fingerprint.cpp", "InstalledSource", nullptr, kSeam},
    {"debugif/lpt_primitives.cpp", "nullPrimitives", nullptr, "the stand-in port, stateless"},
    {"debugif/lpt_primitives.cpp", "installed", nullptr, kSeam},
    {"debugif/uif_transaction.cpp", "Ahead", nullptr,
     "emptied at every port open and transaction start"},
    {"debugif/debug_attach.cpp", "ApiAttachHooks", nullptr,
     "the library's attach hooks, installed at load"},
    {"api/exports.cpp", "ExportGuard", nullptr, "the export guard's hooks, installed by tests"},
    {"api/lib_target.cpp", "Lower", nullptr, "the debug table under the library's, set at load"},
    {"api/lib_target.cpp", "Table", nullptr, "the library's debug table, set at load"},
    {"api/presenter_choice.cpp", "Installed", nullptr,
     "the progress presenter, installed by the host or tests"},
    {"api/qt_presenter.cpp", "OperatorWatching", nullptr,
     "whether the progress window is on screen, kept by the window"},
    {"api/qt_presenter.cpp", "ApplicationMadeHook", nullptr,
     "the library's hook, installed at load"},
    {"api/qt_presenter.cpp", "RepaintObserver", nullptr, "a test seam of the Qt window"},
};

fs::path SourceDir() {
    const char* dir = std::getenv("QUILL_SOURCE_DIR");
    return dir != nullptr ? fs::path(dir) : fs::path(".");
}

// A definition of a mutable object at namespace scope: the tree is
// formatted without namespace indentation, so such a definition starts in
// the first column, and a function's or struct's body never does.
// "const T* p" is a mutable pointer and counts; "const T x", "constexpr"
// and "T* const p" do not, nor does "const std::vector<T*> x". A function
// pointer "R (*p)(...)" counts.
std::vector<std::string> MutableDefinitions(const fs::path& file) {
    static const std::regex kDefinition(
        R"(^(?:static |constinit |thread_local |inline )*)"
        R"((?:const )?[A-Za-z_][A-Za-z_0-9:<>,*& ]*?[ *&]+)"
        R"(([A-Za-z_][A-Za-z_0-9]*)(?:\[[^\]]*\])*\s*(?:=.*|\{.*)?;?\s*$)");
    static const std::regex kFunctionPointer(
        R"(^(?:static |constinit )*[A-Za-z_][A-Za-z_0-9:<>]*[ *&]*\(\*([A-Za-z_][A-Za-z_0-9]*)\)\(.*\)\s*(?:=.*)?;\s*$)");
    static const std::regex kNotObject(
        R"(^(?:using|namespace|return|typedef|extern|struct|class|enum|union|template|friend|)"
        R"(public|private|protected|case|default|else|do|goto|constexpr|static constexpr|)"
        R"(inline constexpr|#|//|\}))");
    static const std::regex kQualifiers(R"(^(?:static |constinit |thread_local |inline )*)");
    std::vector<std::string> names;
    std::ifstream in(file);
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == ' ' || std::regex_search(line, kNotObject)) {
            continue;
        }
        if (std::regex_match(line, m, kFunctionPointer)) {
            names.push_back(m[1].str());
            continue;
        }
        if (!std::regex_match(line, m, kDefinition)) {
            continue;
        }
        // The declarator up to the name tells a constant from a mutable
        // pointer to constant data.
        // Template arguments ("std::vector<T*>") say nothing of the object.
        static const std::regex kTemplateArguments(R"(<[^<>]*>)");
        std::string head =
            std::regex_replace(line.substr(0, static_cast<size_t>(m.position(1))), kQualifiers, "");
        for (std::string inner;
             (inner = std::regex_replace(head, kTemplateArguments, "")) != head;) {
            head = inner;
        }
        const bool constObject =
            head.rfind("const ", 0) == 0 && head.find('*') == std::string::npos;
        const bool constPointer = head.find("* const") != std::string::npos;
        if (!constObject && !constPointer) {
            names.push_back(m[1].str());
        }
    }
    return names;
}

std::set<std::string> TableNames(core::StateTable table) {
    std::set<std::string> names;
    for (const core::StateObject& o : table) {
        names.insert(o.name);
    }
    return names;
}

TEST(StateRegistry, TheScanSeesTheKnownObjects) {
    // Guards the scan itself: a scan that saw nothing would pass below.
    const fs::path root = SourceDir();
    const std::map<std::string, std::string> known = {
        {"core/settings.cpp", "Settings"},
        {"core/debug_api.cpp", "apiInUse"},
        {"debugif/api_state.cpp", "Api"},
        {"gui/ser_stat_dlg.cpp", "SnDialogs"},
        {"gui/project/project_state.cpp", "Project"},
        {"api/api_state.cpp", "LibSettings"},
        {"debugif/link_timing.cpp", "LinkTiming"},
        {"platform/prompt.cpp", "openMs"},
        {"ui/termination.cpp", "g_requested"},
    };
    for (const auto& [file, name] : known) {
        const auto found = MutableDefinitions(root / file);
        EXPECT_NE(std::find(found.begin(), found.end(), name), found.end()) << file << " " << name;
    }
    const auto none = MutableDefinitions(root / "core/device_table_text.cpp");
    EXPECT_TRUE(none.empty()) << none.front();
}

TEST(StateRegistry, EveryStateObjectOfEveryFolderIsInItsTable) {
    const fs::path root = SourceDir();
    std::set<std::pair<std::string, std::string>> seenNotEntries;
    for (const Folder& folder : kFolders) {
        std::set<std::string> table;
        size_t listed = 0;
        for (const auto tableOf : folder.tables) {
            const std::set<std::string> names = TableNames(tableOf());
            table.insert(names.begin(), names.end());
            listed += tableOf().size();
        }
        std::set<std::string> defined;
        ASSERT_TRUE(fs::is_directory(root / folder.path)) << root / folder.path;
        for (const auto& entry : fs::directory_iterator(root / folder.path)) {
            if (entry.path().extension() != ".cpp") {
                continue;
            }
            const std::string file =
                std::string(folder.path) + "/" + entry.path().filename().string();
            for (const std::string& name : MutableDefinitions(entry.path())) {
                defined.insert(name);
                const NotAnEntry* not_entry = nullptr;
                for (const NotAnEntry& n : kNotEntries) {
                    if (file == n.file && name == n.name) {
                        not_entry = &n;
                    }
                }
                if (not_entry != nullptr) {
                    seenNotEntries.insert({file, name});
                    if (not_entry->coveredBy != nullptr) {
                        EXPECT_TRUE(table.count(not_entry->coveredBy))
                            << file << ": " << name << " is reset by " << not_entry->coveredBy
                            << ", which is not in the table of " << folder.path;
                        defined.insert(not_entry->coveredBy);
                    }
                    continue;
                }
                EXPECT_TRUE(table.count(name))
                    << file << " defines the state object " << name
                    << ", which is in no table of the state registry (" << folder.path << ")";
            }
        }
        for (const std::string& name : table) {
            EXPECT_TRUE(defined.count(name)) << "the table of " << folder.path << " lists " << name
                                             << ", which no file of the folder defines";
        }
        EXPECT_EQ(table.size(), listed) << folder.path << " lists a name twice";
    }
    for (const NotAnEntry& n : kNotEntries) {
        EXPECT_TRUE(seenNotEntries.count({n.file, n.name}))
            << n.file << " no longer defines " << n.name << ": drop it from the list";
    }
}

// The state the resets used to leave behind, and more: one field of an
// object of each table, set away from its start-up value.
struct Field {
    const char* what;
    const char* folder;
    std::function<void()> dirty;
    std::function<bool()> atStart;
};

const std::vector<Field>& Fields() {
    static const std::vector<Field> fields = {
        {"core::Settings.SNFileGiven", "core", [] { core::Settings.SNFileGiven = 1; },
         [] { return core::Settings.SNFileGiven == 0; }},
        {"gui::Project.ProjectPassword", "gui/project",
         [] { gui::Project.ProjectPassword = "secret"; },
         [] { return gui::Project.ProjectPassword.empty(); }},
        {"gui::Project.ProjectScrambleOn", "gui/project",
         [] { gui::Project.ProjectScrambleOn = 1; },
         [] { return gui::Project.ProjectScrambleOn == 0; }},
        {"gui::SnDialogs.ReportFilter", "gui", [] { gui::SnDialogs.ReportFilter = 3; },
         [] { return gui::SnDialogs.ReportFilter == 15; }},
        {"debugif::Api.LastErrorNumber", "debugif", [] { debugif::Api.LastErrorNumber = 35; },
         [] { return debugif::Api.LastErrorNumber == 0; }},
        {"debugif::LinkTiming.serial_read_total_ms", "debugif",
         [] { debugif::LinkTiming.serial_read_total_ms = 40; },
         [] { return debugif::LinkTiming.serial_read_total_ms == 7000; }},
        {"api::LibSettings.BeepEnable", "api", [] { api::LibSettings.BeepEnable = 1; },
         [] { return api::LibSettings.BeepEnable == 0; }},
    };
    return fields;
}

struct ResetCase {
    const char* name;
    void (*reset)();
    std::set<std::string> folders; // the tables it runs
};

TEST(StateRegistry, EachResetPutsBackTheStateOfItsTables) {
    const ResetCase cases[] = {
        {"QuillbayStateReset", &gui::QuillbayStateReset, {"core", "gui/project", "gui"}},
        {"QuillcoreStateReset", &api::QuillcoreStateReset, {"core", "debugif", "api"}},
        {"CoreStateReset", &core::CoreStateReset, {"core"}},
        {"GuiStateReset", &gui::GuiStateReset, {"gui/project", "gui"}},
        {"ProjectStateReset", &gui::ProjectStateReset, {"gui/project"}},
        {"ResetDebugifState", &debugif::ResetDebugifState, {"debugif"}},
        {"LibraryStateReset", &api::LibraryStateReset, {"api"}},
    };
    for (const ResetCase& c : cases) {
        for (const Field& f : Fields()) {
            f.dirty();
        }
        c.reset();
        for (const Field& f : Fields()) {
            EXPECT_EQ(f.atStart(), c.folders.count(f.folder) == 1) << c.name << ": " << f.what;
        }
    }
    gui::QuillbayStateReset();
    api::QuillcoreStateReset();
    debugif::ResetDebugifState();
    for (const Field& f : Fields()) {
        EXPECT_TRUE(f.atStart()) << f.what;
    }
}

} // namespace
