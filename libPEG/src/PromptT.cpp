#include "PromptT.h"

#include "PEG.h"
#include "PEGDispatcher.h"

template <typename Text>
PromptT<Text>::PromptT(uint32_t itemId) : PEGItem(itemId) {}

template <typename Text>
PromptT<Text>::~PromptT() = default;

template <typename Text>
bool PromptT<Text>::onCommand9() {
    command9Signal.emit();
    return true;
}

template <typename Text>
bool PromptT<Text>::onCommand29(const PEGCommand& command) {
    const Text text = command.payloadText();
    const bool result = valueChanged(text);
    valueSignal.emit(text);
    return result;
}

template <typename Text>
bool PromptT<Text>::valueChanged(const Text& /*text*/) {
    return true;
}

template <typename Text>
void PromptT<Text>::setNarrowText(const std::string& text) {
    PEG_setText(currentPEGClient, id(), text.c_str());
}

template <typename Text>
void PromptT<Text>::setText(const Text& text) {
    PEG_setWideText(currentPEGClient, id(), text.c_str());
}

template <typename Text>
void PromptT<Text>::bindParameter(const std::string& name) {
    PEG_bindParameter(currentPEGClient, id(), name.c_str());
}

template <typename Text>
void PromptT<Text>::setTextKey(const std::string& textKey) {
    PEG_setTextKey(currentPEGClient, id(), textKey.c_str());
}

template class PromptT<std::u16string>;
