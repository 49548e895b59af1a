#include "View.h"

#include "PEG.h"
#include "PEGDispatcher.h"

View::View(uint32_t itemId) : PEGItem(itemId) {}

View::~View() = default;

bool View::hookThenSignal(bool hookResult, const ItemSignal<void>& signal) {
    signal.emit();
    return hookResult;
}

bool View::onCommand2() {
    const bool result = command2Hook();
    command2or3Hook();
    return hookThenSignal(result, command2Signal);
}

bool View::onCommand3() {
    const bool result = command3Hook();
    command2or3Hook();
    return hookThenSignal(result, command3Signal);
}

bool View::onCommand5() {
    return command5Hook();
}

bool View::onCommand6() {
    return command6Hook();
}

bool View::onCommand7() {
    return hookThenSignal(command7Hook(), command7Signal);
}

bool View::onCommand14() {
    return hookThenSignal(command14Hook(), command14Signal);
}

bool View::onCommand15() {
    return hookThenSignal(command15Hook(), command15Signal);
}

bool View::onCommand16() {
    return hookThenSignal(command16Hook(), command16Signal);
}

bool View::onCommand17() {
    return hookThenSignal(command17Hook(), command17Signal);
}

bool View::onCommand58() {
    return hookThenSignal(command58Hook(), command58Signal);
}

bool View::onCommand33() {
    return hookThenSignal(command33Hook(), command33Signal);
}

void View::setNarrowText(const std::string& text) {
    PEG_setText(currentPEGClient, id(), text.c_str());
}

void View::setText(const std::u16string& text) {
    PEG_setWideText(currentPEGClient, id(), text.c_str());
}

void View::sendWord57(uint32_t value) {
    PEG_sendWord57(currentPEGClient, id(), value);
}
