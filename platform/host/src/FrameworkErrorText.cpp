// Texts of framework result codes; kernel codes keep the kernel's names.
#include "Kernel.h"
#include "Tarvo.h"

namespace {

struct CodeText {
    int32_t code;
    const char* text;
};

constexpr CodeText kFrameworkCodeTexts[] = {
    {ServiceNotAvailable, "ServiceNotAvailable"},
    {TarvoAccessDenied, "AccessDenied"},
    {TarvoAssertionFailed, "AssertionFailed"},
    {TarvoFileNotReadable, "FileNotReadable"},
    {TarvoNotRegistered, "NotRegistered"},
    {TarvoServiceTaskUnknown, "ServiceTaskUnknown"},
    {TarvoNoCodeRange, "NoCodeRange"},
};

}  // namespace

const char* Tarvo_ErrorText(int32_t code) {
    for (const CodeText& entry : kFrameworkCodeTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return KernelErrorName(code);
}
