// A prompt showing a text: receives a text or an activation from the display. The one
// instance in use is PromptT<std::u16string> (UTF-16 texts).
#pragma once

#include <cstdint>
#include <string>

#include "ItemSignal.h"
#include "PEGItem.h"

template <typename Text>
class PromptT : public PEGItem {
  public:
    // Registers the prompt under `itemId` (see PEGItem). Initial task.
    explicit PromptT(uint32_t itemId);
    ~PromptT() override;

    // Code 9 (an activation) and code 29 (a text from the display) reach these signals.
    ItemSignal<void> command9Signal;
    ItemSignal<Text> valueSignal;

    // Display client task. Code 9: emits command9Signal; answers true.
    bool onCommand9() override;
    // Display client task. Code 29: the UTF-16 payload up to its terminator or the record's
    // end goes to valueChanged, then to every receiver of valueSignal (all see the same
    // string object); answers valueChanged's result. The prompt keeps no copy.
    bool onCommand29(const PEGCommand& command) override;
    // Hook for derived prompts; true unless overridden.
    virtual bool valueChanged(const Text& text);

    // Senders to the prompt's id through currentPEGClient (any task). They always send the
    // string's characters, so an empty string sends an empty text (a lone terminator).
    void setNarrowText(const std::string& text);  // 18
    void setText(const Text& text);               // 26
    void bindParameter(const std::string& name);  // 37
    void setTextKey(const std::string& textKey);  // 30
};

extern template class PromptT<std::u16string>;
