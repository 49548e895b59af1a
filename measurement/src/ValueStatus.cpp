#include "ValueStatus.h"

std::string statusToString(uint32_t status) {
    static const char* const kFlagTexts[12] = {"OOU, ",    "INIT, ",    "NOT_AVAIL, ", "OOS, ",
                                               "HIDDEN, ", "NOT_ACK, ", "LOCKED, ",    "OOO, ",
                                               "OLL, ",    "OUL, ",     "OOC, ",       "TEST, "};
    std::string text;
    for (uint32_t bit = 0; bit < 12; ++bit) {
        if ((status & (1u << bit)) != 0) {
            text += kFlagTexts[bit];
        }
    }
    text += "SET: " + std::to_string((status >> 16) & 0x3u);
    text += ", OVR: " + std::to_string((status >> 18) & 0x3u);
    text += ", NEW: " + std::to_string((status >> 20) & 0x7u);
    text += ", LOP: " + std::to_string((status >> 24) & 0x7u);
    return text;
}
