// What the display page sends for one command, collected while the page reads the
// preprocessing object under its lock and sent after the lock is released, so no lock is held
// across a send.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ServiceClient.h"

namespace PreProcessing {

class PPPageSends {
  public:
    // One command to one item, in the order added.
    struct Send {
        enum class Kind { Clear, WideText, Value, Bind };
        Kind kind;
        uint32_t itemId;
        std::u16string text;  // WideText
        std::string name;     // Bind
        uint32_t value;       // Value
    };

    void clear(uint32_t itemId);                                 // 28, no payload
    void wideText(uint32_t itemId, const std::u16string& text);  // 26 with the UTF-16 text
    void value(uint32_t itemId, uint32_t value);                 // 29 with the u32
    void bind(uint32_t itemId, const std::string& name);         // 37 with the narrow name

    const std::vector<Send>& sends() const { return mySends; }

    // Sends everything through `pService` with the display-service senders, in order; nothing
    // when `pService` is null. The caller holds no lock.
    void sendTo(ServiceObject* pService) const;

  private:
    std::vector<Send> mySends;
};

}  // namespace PreProcessing
