#include "UserLine.h"

namespace {

enum : uint32_t { kLabelOffset = 1, kSecondOffset = 2, kThirdOffset = 3 };

}  // namespace

UserLine::UserLine(uint32_t itemId)
    : PEGItem(itemId),
      myLabel(itemId + kLabelOffset),
      mySecond(itemId + kSecondOffset),
      myThird(itemId + kThirdOffset) {}

UserLine::~UserLine() = default;

void UserLine::bindValueFields(const std::string& name) {
    mySecond.bindParameter(name);
    myThird.bindParameter(name);
}

void UserLine::bindParameter(const std::string& name) {
    myLabel.bindParameter(name);
    bindValueFields(name);
}

void UserLine::setLabelTextKey(const std::string& key) {
    myLabel.setTextKey(key);
}

void UserLine::labelCommand10() {
    myLabel.command10();
}

void UserLine::setLabelNarrowText(const std::string& text) {
    myLabel.setNarrowText(text);
}

void UserLine::setLabelText(const std::u16string& text) {
    myLabel.setText(text);
}
