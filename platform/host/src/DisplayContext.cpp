// The display context: the path of the page the display shows, set by the display service.
#include <mutex>
#include <optional>

#include "FrameworkInternal.h"
#include "HostFramework.h"
#include "Tarvo.h"

namespace host {
namespace {

struct ContextState {
    std::mutex mutex;
    std::optional<std::string> context;
};

ContextState& contextState() {
    static ContextState* instance = new ContextState();
    return *instance;
}

// The text lent to the calling task until it releases it.
std::optional<std::string>& lentContext() {
    thread_local std::optional<std::string> lent;
    return lent;
}

}  // namespace

bool displayContextHeld() {
    return lentContext().has_value();
}

void setDisplayContext(std::optional<std::string> context) {
    std::lock_guard<std::mutex> lock(contextState().mutex);
    contextState().context = std::move(context);
}

namespace detail {

void resetDisplayContext() {
    setDisplayContext(std::nullopt);
}

}  // namespace detail
}  // namespace host

const char* Tarvo_DisplayContext(AsInfo* pAsInfo) {
    std::optional<std::string>& lent = host::lentContext();
    {
        std::lock_guard<std::mutex> lock(host::contextState().mutex);
        lent = pAsInfo != nullptr ? host::contextState().context : std::nullopt;
    }
    return lent ? lent->c_str() : nullptr;
}

void Tarvo_ReleaseDisplayContext(uint32_t /*flags*/) {
    host::lentContext().reset();
}
