#include "api/api_state.h"

#include "api/adapter_select.h"
#include "api/direct_access.h"
#include "api/dod430adi.h"
#include "api/lib_target.h"
#include "api/procedure_frame.h"
#include "api/report_log.h"
#include "debugif/debugif_reset.h"

namespace api {

LibraryState Lib;
LibSettingsState LibSettings;
LibFileNamesState LibFileNames;

namespace {

constexpr core::StateObject kApiStateObjects[] = {
    {"Lib", [] { Lib.Reset(); }},
    {"LibSettings", [] { LibSettings.Reset(); }},
    {"LibFileNames", [] { LibFileNames.Reset(); }},
    {"LibTarget", [] { LibTarget.Reset(); }},
    {"ReportLog", [] { ReportLog.Reset(); }},
    {"AdapterSelect", [] { AdapterSelect.Reset(); }},
    {"Direct", [] { Direct.Reset(); }},
    {"Procedure", [] { Procedure.Reset(); }},
    {"DialogRun", [] { DialogRun.Reset(); }},
};

} // namespace

core::StateTable ApiStateObjects() {
    return kApiStateObjects;
}

void QuillcoreStateReset() {
    core::StateTablesReset(
        {core::CoreStateObjects(), debugif::DebugifStateObjects(), ApiStateObjects()});
}

} // namespace api
