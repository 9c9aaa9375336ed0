#include "fakes.h"

#include "core/shared_state.h"

namespace kq::test {

TempHome::TempHome() {
    Fun_SetAppFolder(dir.path());
    Fun_ResetSharedState();
    setDialogs(&dialogs);
}

TempHome::~TempHome() {
    setDialogs(nullptr);
    Fun_ResetSharedState();
}

} // namespace kq::test
