// The resource manager's named resources: objects registered under a name and a password.
#include <cstring>

#include "KernelInternal.h"

using host::kernel::Kernel;
using host::kernel::KernelCall;
using host::kernel::Lock;
using host::kernel::ObjectPtr;

namespace {

const char* orEmpty(const char* text) {
    return text != nullptr ? text : "";
}

}  // namespace

Error RequestResource(Object* object, const char* name, const char* password) {
    KernelCall call("RequestResource");
    if (call.injected != Success) {
        return call.injected;
    }
    if (object == nullptr || name == nullptr) {
        return IllegalParameter;
    }
    auto found = call.kernel.resources.find(name);
    if (found == call.kernel.resources.end()) {
        return UnknownResourceName;
    }
    if (found->second.password != orEmpty(password)) {
        return IncorrectPassword;
    }
    *object = call.kernel.addHandle(found->second.object);
    return Success;
}

namespace host {

Error registerResource(const char* name, Object object, const char* password) {
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    if (name == nullptr || *name == '\0' || kernel.resources.count(name) != 0) {
        return IllegalParameter;
    }
    ObjectPtr registered;
    if (Error error = kernel.findAny(object, registered)) {
        return error;
    }
    ++registered->handles;
    kernel.resources[name] = Kernel::Resource{registered, orEmpty(password)};
    return Success;
}

Error unregisterResource(const char* name) {
    Kernel& kernel = Kernel::instance();
    Lock lock(kernel.mutex);
    auto found = name != nullptr ? kernel.resources.find(name) : kernel.resources.end();
    if (found == kernel.resources.end()) {
        return UnknownResourceName;
    }
    ObjectPtr registered = found->second.object;
    kernel.resources.erase(found);
    kernel.releaseReference(registered);
    return Success;
}

}  // namespace host
