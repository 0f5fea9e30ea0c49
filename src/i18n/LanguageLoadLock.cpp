#include "i18n/LanguageLoadLock.h"

namespace vx::i18n {

TLanguageLoadLock::TLanguageLoadLock(const TSleep& sleep) {
    for (int waits = 0; waits < MaxWaits && win::GlobalFindAtomA(AtomName) != 0; ++waits) {
        sleep(WaitStep);
    }
    FAtom = win::GlobalAddAtomA(AtomName);
}

TLanguageLoadLock::~TLanguageLoadLock() {
    if (FAtom != 0) {
        win::GlobalDeleteAtom(FAtom);
    }
}

} // namespace vx::i18n
