#include "api/report_log.h"

#include "api/dod430adi.h"

namespace api {

ReportLogState ReportLog;

namespace {

void AppendCut(std::string& log, std::string_view text) {
    log.append(text);
    if (log.size() > kReportLogMax) {
        log.erase(0, log.size() - kReportLogMax);
    }
}

} // namespace

void ReportAppend(std::string_view text) {
    AppendCut(ReportLog.report, text);
    AppendCut(ReportLog.dialog, text);
    if (DialogRun.busy != 0 && DialogRun.current != nullptr) {
        DialogRun.current->LogRefresh();
    }
}

void ReportVerdict(int32_t r) {
    ReportAppend(r != 0 ? "...\t done\r\n" : "...\t failed\r\n");
}

void ReportCheck(int32_t r) {
    ReportAppend(r == 0 ? "...\t failed\r\n" : (r == 2 ? "...\t BLOWN\r\n" : "...\t OK\r\n"));
}

void ReportOpenError(std::string_view what, std::string_view path) {
    ReportAppend(what);
    ReportAppend(" ");
    ReportAppend(path);
    ReportAppend("\r\n");
}

void ReportClear() {
    ReportLog.report.clear();
    ReportLog.dialog.clear();
}

void ReportReplace(std::string_view text) {
    ReportLog.report.assign(text);
}

void ReportProgress(int32_t percent, void*) {
    if (DialogRun.busy != 0 && DialogRun.current != nullptr) {
        DialogRun.current->Progress(percent);
    }
}

} // namespace api
