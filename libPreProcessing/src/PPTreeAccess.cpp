#include "PPTreeAccess.h"

#include <string>

namespace PreProcessing {

void readBoundedText(FbDoNode node, char16_t* text, size_t capacity) {
    std::u16string value;
    FbDo_ReadText(node, &value, u"", FbDo_GetLeaf(node, kFbDoLeafValue),
                  FbDo_GetLeaf(node, kFbDoLeafStatus), nullptr, 0);
    copyBoundedText(value.c_str(), text, capacity);
}

void copyBoundedText(const char16_t* source, char16_t* text, size_t capacity) {
    size_t length = 0;
    while (length + 1 < capacity && source[length] != u'\0') {
        text[length] = source[length];
        ++length;
    }
    text[length] = u'\0';
}

int32_t readIntegerParameter(FbDoNode node) {
    return FbDo_ReadInteger(node, 0, FbDo_GetLeaf(node, kFbDoLeafValue),
                            FbDo_GetLeaf(node, kFbDoLeafStatus), nullptr, 0);
}

}  // namespace PreProcessing
