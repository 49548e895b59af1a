// Host trace log: decodes the format word of each enabled point into a record, writes it to
// the log file when one is set and hands it to the active capture.
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>

#include "FrameworkInternal.h"
#include "HostTrace.h"
#include "TarvoTrace.h"

namespace host {
namespace {

// What the check of every trace point reads. Constant-initialized and trivially destroyed: usable
// before and after every other static, and read without an initialization guard.
struct TraceLevels {
    std::atomic<uint32_t> maxLevel{3};
    std::atomic<bool> hasOverrides{false};  // any per-point setting: take the slow path
};
TraceLevels levels;

struct TraceState {
    std::mutex mutex;
    std::set<uint32_t> enabled;
    std::set<uint32_t> disabled;
    std::ofstream file;
    std::vector<TraceRecord>* capture = nullptr;
    std::vector<TraceRecord>* watched = nullptr;  // of the active watch
    std::string errorText;  // text arguments of the last error-level point that had any
    uint32_t watchLevel = 0;
};

TraceState& state() {
    static TraceState instance;
    return instance;
}

std::atomic<uint8_t>& selectorByte() {
    static std::atomic<uint8_t> selector{0};
    return selector;
}

std::vector<TraceArgument> decodeArguments(uint32_t format, va_list args) {
    std::vector<TraceArgument> decoded;
    for (int shift = 27; shift >= 0; shift -= 3) {
        uint32_t code = (format >> shift) & 7u;
        if (code == kTraceArgEnd) {
            break;
        }
        switch (code) {
            case kTraceArgText: {
                const char* text = va_arg(args, const char*);
                decoded.emplace_back(std::string(text ? text : "(null)"));
                break;
            }
            case kTraceArgDouble:
                decoded.emplace_back(va_arg(args, double));
                break;
            case kTraceArgInt:
                decoded.emplace_back(static_cast<int32_t>(va_arg(args, int)));
                break;
            case kTraceArgText16: {
                const char16_t* text = va_arg(args, const char16_t*);
                decoded.emplace_back(std::u16string(text ? text : u"(null)"));
                break;
            }
            default:
                // An unknown code cannot be skipped safely: the argument's size is unknown.
                decoded.emplace_back(std::string("<bad format code ") + std::to_string(code) + ">");
                return decoded;
        }
    }
    return decoded;
}

// Trace points of this level or below report errors.
constexpr uint32_t kErrorLevel = 3;

// The text arguments of `record`, joined by ": ", replace `kept` when there are any.
void keepErrorText(const TraceRecord& record, std::string& kept) {
    std::string text;
    for (const TraceArgument& argument : record.arguments) {
        if (const auto* part = std::get_if<std::string>(&argument)) {
            text += (text.empty() ? "" : ": ") + *part;
        }
    }
    if (!text.empty()) {
        kept = text;
    }
}

std::string narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        out += (c < 0x80) ? static_cast<char>(c) : '?';
    }
    return out;
}

}  // namespace

void setTraceLevel(uint32_t maxLevel) {
    std::lock_guard<std::mutex> lock(state().mutex);
    levels.maxLevel = maxLevel;
}

void enableTrace(uint32_t id) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().disabled.erase(id);
    state().enabled.insert(id);
    levels.hasOverrides = true;
}

void disableTrace(uint32_t id) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().enabled.erase(id);
    state().disabled.insert(id);
    levels.hasOverrides = true;
}

void resetTraceSettings() {
    std::lock_guard<std::mutex> lock(state().mutex);
    levels.maxLevel = 3;
    state().enabled.clear();
    state().disabled.clear();
    levels.hasOverrides = false;
}

void setTraceLogFile(const std::string& path) {
    std::lock_guard<std::mutex> lock(state().mutex);
    if (state().file.is_open()) {
        state().file.close();
    }
    if (!path.empty()) {
        state().file.open(path, std::ios::app);
    }
}

std::string formatTrace(const TraceRecord& record) {
    std::ostringstream out;
    out << "sel=" << record.selector << " id=0x" << std::hex << record.id << std::dec << " [";
    for (size_t i = 0; i < record.arguments.size(); ++i) {
        if (i > 0) {
            out << ", ";
        }
        const TraceArgument& arg = record.arguments[i];
        if (auto text = std::get_if<std::string>(&arg)) {
            out << '"' << *text << '"';
        } else if (auto number = std::get_if<double>(&arg)) {
            out << *number;
        } else if (auto integer = std::get_if<int32_t>(&arg)) {
            out << *integer;
        } else {
            out << "u\"" << narrow(std::get<std::u16string>(arg)) << '"';
        }
    }
    out << "]";
    return out.str();
}

TraceCapture::TraceCapture() {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().capture = new std::vector<TraceRecord>();
}

TraceCapture::~TraceCapture() {
    std::lock_guard<std::mutex> lock(state().mutex);
    delete state().capture;
    state().capture = nullptr;
}

std::vector<TraceRecord> TraceCapture::records() const {
    std::lock_guard<std::mutex> lock(state().mutex);
    return *state().capture;
}

std::vector<TraceRecord> TraceCapture::withId(uint32_t id) const {
    std::lock_guard<std::mutex> lock(state().mutex);
    std::vector<TraceRecord> found;
    for (const TraceRecord& record : *state().capture) {
        if (record.id == id) {
            found.push_back(record);
        }
    }
    return found;
}

void TraceCapture::clear() {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().capture->clear();
}

namespace detail {

std::string takeErrorTraceText() {
    std::lock_guard<std::mutex> lock(state().mutex);
    std::string text;
    text.swap(state().errorText);
    return text;
}

}  // namespace detail

TraceWatch::TraceWatch(uint32_t maxLevel) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().watched = new std::vector<TraceRecord>();
    state().watchLevel = maxLevel;
}

TraceWatch::~TraceWatch() {
    std::lock_guard<std::mutex> lock(state().mutex);
    delete state().watched;
    state().watched = nullptr;
}

std::vector<TraceRecord> TraceWatch::records() const {
    std::lock_guard<std::mutex> lock(state().mutex);
    return *state().watched;
}

}  // namespace host

uint8_t Tarvo_GetTraceSelector() {
    return host::selectorByte().load();
}

void Tarvo_SetTraceSelector(uint8_t selector) {
    host::selectorByte().store(selector);
}

int Tarvo_TraceEnabled(uint32_t /*selector*/, uint32_t id) {
    const bool levelEnabled = (id & 0xFu) <= host::levels.maxLevel.load(std::memory_order_relaxed);
    if (!host::levels.hasOverrides.load(std::memory_order_acquire)) {
        return levelEnabled ? 1 : 0;
    }
    host::TraceState& s = host::state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.disabled.count(id) != 0) {
        return 0;
    }
    return (s.enabled.count(id) != 0 || levelEnabled) ? 1 : 0;
}

void Tarvo_Trace(uint32_t selector, uint32_t id, uint32_t format, ...) {
    va_list args;
    va_start(args, format);
    host::TraceRecord record{selector, id, host::decodeArguments(format, args)};
    va_end(args);
    host::TraceState& s = host::state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.file.is_open()) {
        s.file << host::formatTrace(record) << '\n';
        s.file.flush();
    }
    if ((id & 0xFu) <= host::kErrorLevel) {
        host::keepErrorText(record, s.errorText);
    }
    if (s.watched != nullptr && (id & 0xFu) <= s.watchLevel) {
        s.watched->push_back(record);
    }
    if (s.capture != nullptr) {
        s.capture->push_back(std::move(record));
    }
}
