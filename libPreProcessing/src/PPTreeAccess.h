// The tree reads and writes that the preprocessing lines, groups and object share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "FbDo.h"

namespace PreProcessing {

// Reads the text of `node` into `text`: at most `capacity` - 1 characters and a NUL, so a long
// text is cut at the buffer's end. An unreadable node gives an empty text. `capacity` > 0.
void readBoundedText(FbDoNode node, char16_t* text, size_t capacity);

// Copies the NUL-terminated `source` into `text`, cut like readBoundedText. `capacity` > 0.
void copyBoundedText(const char16_t* source, char16_t* text, size_t capacity);

// The integer value of `node` through its value and status leaves; 0 when it cannot be read.
int32_t readIntegerParameter(FbDoNode node);

}  // namespace PreProcessing
