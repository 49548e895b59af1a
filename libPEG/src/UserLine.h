// A screen line made of three prompts. The line takes four consecutive item ids: its own
// (which gets only the default handlers), then the label prompt (+1), the second (+2) and the
// third prompt (+3).
#pragma once

#include <cstdint>
#include <string>

#include "PEGItem.h"
#include "PromptT.h"

class UserLine : public PEGItem {
  public:
    using Prompt = PromptT<std::u16string>;

    // Registers `itemId`, then itemId + 1, + 2 and + 3. Initial task.
    explicit UserLine(uint32_t itemId);
    ~UserLine() override;

    Prompt& label() { return myLabel; }
    Prompt& second() { return mySecond; }
    Prompt& third() { return myThird; }

    // Senders through the prompts (any task; see PromptT).
    // Code 37 with `name` to the second prompt, then to the third; the label is left alone.
    void bindValueFields(const std::string& name);
    // Code 37 with `name` to the label, the second and the third prompt, in that order.
    void bindParameter(const std::string& name);
    // To the label prompt: code 30 with the key, code 10, code 18 with a narrow text, code 26
    // with a UTF-16 text.
    void setLabelTextKey(const std::string& key);
    void labelCommand10();
    void setLabelNarrowText(const std::string& text);
    void setLabelText(const std::u16string& text);

  private:
    Prompt myLabel;
    Prompt mySecond;
    Prompt myThird;
};
