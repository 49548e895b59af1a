// A model of the device's local display, fed with the commands the address space's items send:
// per item the bound parameter, texts, text keys, list entries, selection, hidden and enabled
// state, and every code received. Plain data: one thread uses it (the DisplayService's owner).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "HostService.h"

namespace sim {

// What the display shows of one item. Unset fields were never sent.
struct DisplayItemState {
    std::optional<std::string> boundParameter;   // 37: the parameter the item shows
    std::optional<std::u16string> text;          // 26 (UTF-16), 18 (narrow); 18 bare: empty
    std::optional<std::string> languageTextKey;  // 19
    std::optional<std::string> textKey;          // 30 (empty when sent without payload)
    bool isList = false;                         // a 28 (clear) made it a selection box
    std::vector<std::u16string> entries;         // 26 while a selection box: one entry each
    std::optional<int32_t> selection;            // 29 with a u32 (0xFFFFFFFF: -1, no entry)
    std::optional<bool> hidden;                  // 39: non-zero hides
    std::optional<bool> enabled;                 // 22 enables, 23 disables
    std::vector<uint32_t> codes;                 // every code received, in order
};

class DisplayModel {
  public:
    // Applies one command the address space sent. Payloads too short for their command change
    // nothing but the list of codes; texts stop at their terminator or the payload's end.
    void apply(const host::SentCommand& command);
    // A selection made on the display (an injected 29 with a u32) moves the item's selection.
    void select(uint32_t itemId, uint32_t index);
    // Forgets every item.
    void clear() { myItems.clear(); }

    // The state of `itemId`, or null when nothing was sent to it.
    const DisplayItemState* item(uint32_t itemId) const;
    // Ids of the items that received anything, ascending.
    std::vector<uint32_t> itemIds() const;

    // The line of `itemId` as dump() writes it (without its newline); "" when nothing was sent
    // to it.
    std::string line(uint32_t itemId) const;
    // One line per item, ascending by id, with the fields that were sent, for example
    //   64101 list entries=["Pressure","(G1)  CH4"] selection=0
    //   64202 bind="Src.PP1_L1"
    //   64205 text="in use"
    //   2100 hidden=1
    //   0 codes=1
    // Texts are UTF-8 in double quotes (a quote or backslash escaped with a backslash). An item
    // that was sent none of the fields above shows the codes it received, each once.
    std::string dump() const;

    // A record's payload as the display reads it: the quoted UTF-8 text of the text codes
    // (18, 19, 26, 30, 37), the hexadecimal bytes of the others.
    static std::string payloadText(uint32_t commandCode, const std::vector<uint8_t>& payload);

  private:
    std::map<uint32_t, DisplayItemState> myItems;
};

}  // namespace sim
