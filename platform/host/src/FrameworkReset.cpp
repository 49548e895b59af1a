// Resetting the framework stand-in between tests.
#include "FrameworkInternal.h"
#include "HostFramework.h"

namespace host {

void resetFramework() {
    detail::resetAsInfo();
    detail::resetLogs();
    detail::resetFatalStops();
    detail::resetSettings();
    detail::resetDisplayContext();
}

}  // namespace host
