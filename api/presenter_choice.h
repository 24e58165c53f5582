#pragma once
// Which window a progress dialog runs in, chosen per launch: the presenter
// a test installed; else a Qt window where a display is (or Qt runs
// offscreen) and Qt can run on this thread; else headless.

#include "api/progress_presenter.h"

#include <cstdint>

namespace api {

// p for every following launch until nullptr is installed; the caller
// keeps it alive.
void ProgressPresenterInstall(ProgressPresenter* p);

// Runs Lib.ProcedureCode in the progress dialog on this launch's presenter
// and returns Lib.ProcedureResult.
int32_t ProgressDialogRun();

} // namespace api
