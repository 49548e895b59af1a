// Value conversions and text encodings of host tree nodes.
#include <cmath>
#include <limits>
#include <stdexcept>

#include "TreeInternal.h"

namespace host::detail {

uint32_t wordFromDouble(double value, FbDoNodeKind kind) {
    if (std::isnan(value)) {
        return 0;
    }
    if (kind == kFbDoBool || kind == kFbDoTrigger) {
        return value != 0.0 ? 1 : 0;
    }
    if (kind == kFbDoInteger) {
        const double clamped = std::fmax(std::fmin(value, 2147483647.0), -2147483648.0);
        return static_cast<uint32_t>(static_cast<int32_t>(clamped));
    }
    return static_cast<uint32_t>(std::fmax(std::fmin(value, 4294967295.0), 0.0));
}

double doubleFromWord(uint32_t word, FbDoNodeKind kind) {
    if (kind == kFbDoInteger) {
        return static_cast<double>(static_cast<int32_t>(word));
    }
    if (kind == kFbDoBool || kind == kFbDoTrigger) {
        return static_cast<double>(word & 1u);
    }
    return static_cast<double>(word);
}

const TreeNode* dataNodeOf(const TreeNode* node) {
    while (node->kind() == kFbDoImport && node->source != nullptr) {
        node = node->source;  // the model loader rejects loops
    }
    return node;
}

std::u16string utf16FromUtf8(const std::string& text) {
    std::u16string result;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80           ? 1
                              : (lead >> 5) == 0x6  ? 2
                              : (lead >> 4) == 0xE  ? 3
                              : (lead >> 3) == 0x1E ? 4
                                                    : 0;
        if (length == 0 || i + length > text.size()) {
            throw std::runtime_error("malformed UTF-8 text");
        }
        uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                throw std::runtime_error("malformed UTF-8 text");
            }
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            throw std::runtime_error("malformed UTF-8 text");
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(code));
        }
        i += length;
    }
    return result;
}

std::string utf8FromUtf16(const std::u16string& text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t code = text[i];
        const bool pair = code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pair) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00u);
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;  // a lone surrogate
        }
        if (code < 0x80) {
            result.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            result.push_back(static_cast<char>(0xC0 | (code >> 6)));
            result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            result.push_back(static_cast<char>(0xE0 | (code >> 12)));
            result.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            result.push_back(static_cast<char>(0xF0 | (code >> 18)));
            result.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return result;
}

}  // namespace host::detail
