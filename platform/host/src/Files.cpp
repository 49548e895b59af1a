// File helpers of the framework.
#include <sys/stat.h>
#include <cstring>

#include "Tarvo.h"

int Tarvo_FileExists(const char* path) {
    struct stat info {};
    return (path != nullptr && stat(path, &info) == 0 && !S_ISDIR(info.st_mode)) ? 1 : 0;
}

int Tarvo_FilePresent(const char* path) {
    return Tarvo_FileExists(path);
}

int Tarvo_CompareN(const char* a, const char* b, uint32_t count) {
    return std::strncmp(a != nullptr ? a : "", b != nullptr ? b : "", count);
}

int fileHasExtension(const char* name, const char* extension) {
    if (name == nullptr || extension == nullptr) {
        return 1;
    }
    const size_t nameLength = std::strlen(name);
    const size_t extensionLength = std::strlen(extension);
    if (extensionLength == 0 || extensionLength > nameLength) {
        return 1;
    }
    return std::strcmp(name + nameLength - extensionLength, extension) == 0 ? 0 : 1;
}
