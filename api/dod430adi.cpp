#include "api/dod430adi.h"

#include "api/adapter_select.h"
#include "api/api_state.h"
#include "api/procedure_frame.h"
#include "api/report_log.h"
#include "core/target_state.h"
#include "platform/c_locale.h"
#include "platform/prompt.h"

namespace api {

DialogRunState DialogRun;

namespace {

constexpr int32_t kLampGoodFrom = 261; // 10 mV units
constexpr int32_t kLampLowBelow = 201;

uint32_t FlagsFor(MessageStyle style) {
    switch (style) {
    case MessageStyle::Error:
        return platform::MB_OK | platform::MB_ICONERROR;
    case MessageStyle::Warning:
        return platform::MB_OK | platform::MB_ICONWARNING;
    case MessageStyle::OkCancel:
        return platform::MB_OKCANCEL | platform::MB_ICONWARNING;
    case MessageStyle::YesNo:
        return platform::MB_YESNO | platform::MB_ICONWARNING;
    }
    return platform::MB_OK;
}

MessageAnswer AnswerOf(int id) {
    switch (id) {
    case platform::IDOK:
        return MessageAnswer::Ok;
    case platform::IDCANCEL:
        return MessageAnswer::Cancel;
    case platform::IDYES:
        return MessageAnswer::Yes;
    case platform::IDNO:
        return MessageAnswer::No;
    default:
        return MessageAnswer::None;
    }
}

} // namespace

int LampX(int width) {
    return static_cast<int>(width / 327.0 * 295 + 0.5);
}

int LampY(int height) {
    return static_cast<int>(height / 134.0 * 27 + 0.5);
}

int LampFor(int32_t supply) {
    if (supply >= kLampGoodFrom) {
        return kLampGood;
    }
    return supply < kLampLowBelow ? kLampLow : kLampMiddle;
}

DOD430Adi::~DOD430Adi() {
    if (DialogRun.current == this) {
        DialogRun.current = nullptr;
        DialogRun.busy = 0;
    }
    if (Procedure.presenter == this) {
        Procedure.presenter = nullptr;
    }
}

bool DOD430Adi::OnInitDialog() {
    DialogRun.current = this;
    ReportClear();
    std::string adapter;
    AdapterDescription(adapter);
    window_.SetText(kAdapterControl, adapter);
    const ClientSize c = window_.Client();
    DialogRun.lampX = LampX(c.width);
    DialogRun.lampY = LampY(c.height);
    window_.SetTimer(kStartTimer, kStartTimerMs);
    return true;
}

void DOD430Adi::OnTimer(int id) {
    if (id != kStartTimer || started_) {
        return;
    }
    started_ = true;
    window_.KillTimer(kStartTimer);
    DialogRun.busy = 1;
    window_.SetText(kDeviceControl, "");
    StatusRefresh();
    Procedure.presenter = this;
    Lib.ProcedureResult = ProcedureDispatch(Lib.ProcedureCode);
    Procedure.presenter = nullptr;
    LogRefresh();
    if (Lib.ProcedureResult == kProcFailed) {
        window_.Hold(kFailureHoldMs);
    }
    DialogRun.busy = 0;
    window_.Close();
}

void DOD430Adi::StatusRefresh() {
    const int32_t supply = core::Target.TargetSupplyValue;
    window_.SetText(kVccControl, platform::FormatC("%5.2f V", supply * 0.01));
    window_.SetLamp(LampFor(supply), DialogRun.lampX, DialogRun.lampY);
    // The selected device's name would overwrite the interface here; the
    // device field shows the identified one instead.
    window_.SetText(kInterfaceControl, " JTAG ");
}

void DOD430Adi::LogRefresh() {
    window_.SetText(kLogControl, ReportLog.dialog);
    window_.ScrollToEnd(kLogControl);
    window_.Repaint();
}

MessageAnswer DOD430Adi::Box(const char* caption, const std::string& text, MessageStyle style) {
    return AnswerOf(window_.Box(text, caption, FlagsFor(style)));
}

void DOD430Adi::DeviceFound(const std::string& name) {
    window_.SetText(kDeviceControl, name);
}

void DOD430Adi::Progress(int32_t percent) {
    window_.SetProgress(percent);
}

} // namespace api
