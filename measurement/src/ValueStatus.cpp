#include "ValueStatus.h"

#include <cstdio>
#include <cstring>

StatusText statusToString(uint32_t status) {
    static const char* const kFlagTexts[12] = {"OOU, ",    "INIT, ",    "NOT_AVAIL, ", "OOS, ",
                                               "HIDDEN, ", "NOT_ACK, ", "LOCKED, ",    "OOO, ",
                                               "OLL, ",    "OUL, ",     "OOC, ",       "TEST, "};
    StatusText result;
    char* text = result.myText;
    size_t used = 0;
    for (uint32_t bit = 0; bit < 12; ++bit) {
        if ((status & (1u << bit)) != 0) {
            const size_t length = std::strlen(kFlagTexts[bit]);
            std::memcpy(text + used, kFlagTexts[bit], length);
            used += length;
        }
    }
    std::snprintf(text + used, sizeof(result.myText) - used, "SET: %u, OVR: %u, NEW: %u, LOP: %u",
                  (status >> 16) & 0x3u, (status >> 18) & 0x3u, (status >> 20) & 0x7u,
                  (status >> 24) & 0x7u);
    return result;
}
