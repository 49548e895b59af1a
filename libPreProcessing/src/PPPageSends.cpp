#include "PPPageSends.h"

#include "PEG.h"

namespace PreProcessing {

void PPPageSends::clear(uint32_t itemId) {
    mySends.push_back(Send{Send::Kind::Clear, itemId, {}, {}, 0});
}

void PPPageSends::wideText(uint32_t itemId, const std::u16string& text) {
    mySends.push_back(Send{Send::Kind::WideText, itemId, text, {}, 0});
}

void PPPageSends::value(uint32_t itemId, uint32_t value) {
    mySends.push_back(Send{Send::Kind::Value, itemId, {}, {}, value});
}

void PPPageSends::bind(uint32_t itemId, const std::string& name) {
    mySends.push_back(Send{Send::Kind::Bind, itemId, {}, name, 0});
}

void PPPageSends::sendTo(ServiceObject* pService) const {
    if (pService == nullptr) {
        return;
    }
    for (const Send& send : mySends) {
        switch (send.kind) {
            case Send::Kind::Clear:
                PEG_command28(pService, send.itemId);
                break;
            case Send::Kind::WideText:
                PEG_setWideText(pService, send.itemId, send.text.c_str());
                break;
            case Send::Kind::Value:
                PEG_sendValue(pService, send.itemId, send.value);
                break;
            case Send::Kind::Bind:
                PEG_bindParameter(pService, send.itemId, send.name.c_str());
                break;
        }
    }
}

}  // namespace PreProcessing
