// The framework's text service: its service object and its client, the text dictionary.
#pragma once

#include <cstdint>
#include <string>

#include "AsInfo.h"
#include "ServiceClient.h"

namespace host::detail {

// Points pAsInfo->pTextService at the text service object, whose client is the dictionary.
void connectTextService(AsInfo* pAsInfo);

// True when `client` is the framework's text dictionary.
bool isTextDictionary(const ServiceClient* client);

// The text of `key` in `language` (0 first, else second) when `dictionary` is the framework's
// text dictionary and holds the key; null otherwise. Valid for the life of the process.
const std::u16string* lookupText(const ServiceClient* dictionary, const char* key,
                                 uint32_t language);

// UTF-8 to UTF-16; false for ill-formed input.
bool utf8ToUtf16(const std::string& in, std::u16string& out);

}  // namespace host::detail
