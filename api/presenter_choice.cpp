#include "api/presenter_choice.h"

#include "api/api_state.h"
#include "api/dod430adi.h"
#include "api/headless_presenter.h"

#ifdef QUILL_API_QT
#include "api/qt_presenter.h"
#endif

#include <memory>

namespace api {

namespace {

ProgressPresenter* Installed = nullptr;

} // namespace

void ProgressPresenterInstall(ProgressPresenter* p) {
    Installed = p;
}

int32_t ProgressDialogRun() {
    HeadlessPresenter headless;
    ProgressPresenter* window = Installed;
#ifdef QUILL_API_QT
    std::unique_ptr<QtPresenter> qt;
    if (window == nullptr && QtPresenter::Available()) {
        qt = std::make_unique<QtPresenter>();
        window = qt.get();
    }
#endif
    if (window == nullptr) {
        window = &headless;
    }
    // The result stays "failed" unless the dialog's run sets another.
    Lib.ProcedureResult = 0;
    {
        DOD430Adi dialog(*window);
        dialog.DoModal();
    }
    return Lib.ProcedureResult;
}

} // namespace api
