// The simulated display service "ZUB_PEG_Service": accepts the connection of the address
// space's display client, delivers command records to the client task, records what the
// address space's items send and keeps a model of the display built from it.
//
// One thread drives it (a test or the scenario runner). Scenario use:
//   inject a command     deliver(item, code, payload), injectValue(item, code, value),
//                        injectText(item, code, text)
//   set the page shown   setContext("Calorant.I1.PP.PP_2") before a command 3
//   print the display    printState(out) (DisplayModel::dump)
//   check an item        model().item(id) -> DisplayItemState (bound parameter, text, keys,
//                        list entries, selection, hidden, enabled)
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "DisplayModel.h"
#include "HostService.h"

namespace sim {

class DisplayService {
  public:
    // Offers the service under `name` from now on.
    explicit DisplayService(const std::string& name = "ZUB_PEG_Service");

    // True while a display client is connected.
    bool connected() const;

    // Delivers one command record (item id, command code, payload) to the client task and
    // waits until the client has handled it and every task has settled; its result, or
    // std::nullopt when no client is connected or the client did not handle it. A selection
    // (code 29 with a u32) moves the item's selection in the model, as the display would.
    std::optional<int> deliver(uint32_t itemId, uint32_t commandCode,
                               const std::vector<uint8_t>& payload = {});
    // deliver with a u32 payload / a UTF-16 text payload with its terminator.
    std::optional<int> injectValue(uint32_t itemId, uint32_t commandCode, uint32_t value);
    std::optional<int> injectText(uint32_t itemId, uint32_t commandCode,
                                  const std::u16string& text);

    // The display context path of the page shown (std::nullopt: none), read by the address
    // space through Tarvo_DisplayContext.
    void setContext(std::optional<std::string> context);

    // What the items sent since the last call, oldest first. The service keeps none of it, so
    // that a long run holds only what was sent since the caller last looked.
    std::vector<host::SentCommand> takeSent();
    // The display as the items' commands so far left it.
    const DisplayModel& model();
    // model().dump() to `out`.
    void printState(std::ostream& out);

  private:
    // Takes what the client sent since the last call into the model and the untaken records.
    void collect();

    host::ServicePeer myPeer;
    std::vector<host::SentCommand> myUntaken;
    DisplayModel myModel;
};

}  // namespace sim
