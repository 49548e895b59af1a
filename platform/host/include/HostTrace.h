// Host control of the trace log: which points are enabled, where they are written, and a
// capture that tests read back.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace host {

// One decoded argument of a trace point.
using TraceArgument = std::variant<std::string, double, int32_t, std::u16string>;

struct TraceRecord {
    uint32_t selector;
    uint32_t id;
    std::vector<TraceArgument> arguments;

    // The argument as an integer / text; throws std::bad_variant_access on another kind.
    int32_t intArg(size_t index) const { return std::get<int32_t>(arguments.at(index)); }
    const std::string& textArg(size_t index) const {
        return std::get<std::string>(arguments.at(index));
    }
    double doubleArg(size_t index) const { return std::get<double>(arguments.at(index)); }
    const std::u16string& text16Arg(size_t index) const {
        return std::get<std::u16string>(arguments.at(index));
    }
};

// Points whose level (low four bits of the id) is at most this are enabled; default 3.
void setTraceLevel(uint32_t maxLevel);
// Enables or disables one point regardless of the level.
void enableTrace(uint32_t id);
void disableTrace(uint32_t id);
// Back to the default: level 3, no per-point settings.
void resetTraceSettings();

// Writes every enabled point as one text line to `path` (appending); an empty path stops it.
void setTraceLogFile(const std::string& path);

// Formats one record as the trace log writes it: "sel=0 id=0x650013 [42]".
std::string formatTrace(const TraceRecord& record);

// Records every enabled point while alive (one capture at a time). All tasks' points are kept.
class TraceCapture {
  public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    // Copy of what was recorded so far, in emission order.
    std::vector<TraceRecord> records() const;
    // Records with this id.
    std::vector<TraceRecord> withId(uint32_t id) const;
    bool contains(uint32_t id) const { return !withId(id).empty(); }
    void clear();
};

// Keeps, while alive, the points written whose level is at most `maxLevel` (one watch at a
// time; a capture may run beside it). A point is written only when it is enabled.
class TraceWatch {
  public:
    explicit TraceWatch(uint32_t maxLevel);
    ~TraceWatch();
    TraceWatch(const TraceWatch&) = delete;
    TraceWatch& operator=(const TraceWatch&) = delete;

    // Copy of what was kept so far, in emission order.
    std::vector<TraceRecord> records() const;
};

}  // namespace host
