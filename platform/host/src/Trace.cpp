// Host trace log: decodes the format word of each enabled point in place, writes it to the log
// file when one is set and hands it to the active capture and watch. A point that nothing reads
// (no log file, no capture, no watch of its level, not an error level) is dropped before
// decoding; a point that is read only by the log file or the kept error text is written without
// heap allocation.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <ostream>
#include <set>
#include <sstream>

#include "FrameworkInternal.h"
#include "HostTrace.h"
#include "TarvoTrace.h"

namespace host {
namespace {

// Trace points of this level or below report errors.
constexpr uint32_t kErrorLevel = 3;
constexpr uint32_t kLevelMask = 0xFu;
constexpr uint32_t kDefaultLevel = 3;
// The error text kept is reserved up front to this size, so that keeping it allocates only for
// longer texts.
constexpr size_t kErrorTextReserve = 256;

// One word the check of every trace point reads: bit L set when points of level L are enabled,
// kOverridden set when any point has its own setting (then the check takes the slow path).
constexpr uint32_t kOverridden = 1u << 16;

constexpr uint32_t levelBits(uint32_t maxLevel) {
    return maxLevel >= kLevelMask ? 0xFFFFu : (2u << maxLevel) - 1u;
}

// Constant-initialized and trivially destroyed: usable before and after every other static, and
// read without an initialization guard.
std::atomic<uint32_t> enabledWord{levelBits(kDefaultLevel)};
// Points of this level or below have a reader; higher ones are dropped undecoded.
std::atomic<uint32_t> readLevel{kErrorLevel};

// The records kept for a capture or a watch while it is open: those of `level` or below.
struct Keeper {
    std::vector<TraceRecord>* records = nullptr;  // null while closed
    uint32_t level = 0;

    bool takes(uint32_t pointLevel) const { return records != nullptr && pointLevel <= level; }
};

struct TraceState {
    std::mutex mutex;
    std::set<uint32_t> enabled;
    std::set<uint32_t> disabled;
    std::ofstream file;
    Keeper capture;  // takes every level
    Keeper watch;
    std::string errorText;  // text arguments of the last error-level point that had any
    uint32_t maxLevel = kDefaultLevel;

    TraceState() { errorText.reserve(kErrorTextReserve); }
};

TraceState& state() {
    static TraceState instance;
    return instance;
}

std::atomic<uint8_t>& selectorByte() {
    static std::atomic<uint8_t> selector{0};
    return selector;
}

// Publishes the word of the check from the settings; the caller holds the mutex.
void publishEnabled(const TraceState& s) {
    const bool overridden = !s.enabled.empty() || !s.disabled.empty();
    enabledWord.store(levelBits(s.maxLevel) | (overridden ? kOverridden : 0u),
                      std::memory_order_release);
}

// Publishes the highest level any reader takes; the caller holds the mutex.
void publishReaders(const TraceState& s) {
    uint32_t level = s.file.is_open() ? kLevelMask : kErrorLevel;
    for (const Keeper* keeper : {&s.capture, &s.watch}) {
        if (keeper->records != nullptr) {
            level = std::max(level, keeper->level);
        }
    }
    readLevel.store(level, std::memory_order_release);
}

// Opens `keeper` (of state()) for the points of `level` or below; closes it; what it kept.
void openKeeper(Keeper& keeper, uint32_t level) {
    std::lock_guard<std::mutex> lock(state().mutex);
    keeper.records = new std::vector<TraceRecord>();
    keeper.level = level;
    publishReaders(state());
}

void closeKeeper(Keeper& keeper) {
    std::lock_guard<std::mutex> lock(state().mutex);
    delete keeper.records;
    keeper.records = nullptr;
    publishReaders(state());
}

std::vector<TraceRecord> keptRecords(const Keeper& keeper) {
    std::lock_guard<std::mutex> lock(state().mutex);
    return *keeper.records;
}

// One argument of a point, pointing into the caller's data (valid while the point is handled).
struct ArgumentView {
    uint32_t code = kTraceArgEnd;
    const char* text = nullptr;        // kTraceArgText: `length` chars
    const char16_t* text16 = nullptr;  // kTraceArgText16: `length` units
    size_t length = 0;
    double number = 0.0;
    int32_t integer = 0;
};

// Argument codes a format word holds: three bits each from bit 27 down to bit 0. TraceFormat
// fills nine of them; a raw word may use the tenth.
constexpr size_t kMaxArguments = 10;

// The arguments of one point: at most kMaxArguments, and a bad code ends them.
struct PointArguments {
    std::array<ArgumentView, kMaxArguments> items;
    size_t count = 0;
};

// Texts standing for an argument of an unknown code, indexed by the code.
const char* badCodeText(uint32_t code) {
    static const char* const texts[8] = {
        "", "", "", "<bad format code 3>", "", "<bad format code 5>", "<bad format code 6>", ""};
    return texts[code & 7u];
}

ArgumentView textView(const char* text) {
    ArgumentView view;
    view.code = kTraceArgText;
    view.text = text != nullptr ? text : "(null)";
    view.length = std::strlen(view.text);
    return view;
}

ArgumentView text16View(const char16_t* text) {
    ArgumentView view;
    view.code = kTraceArgText16;
    view.text16 = text != nullptr ? text : u"(null)";
    view.length = std::char_traits<char16_t>::length(view.text16);
    return view;
}

void decodeArguments(uint32_t format, va_list args, PointArguments& out) {
    for (int shift = 27; shift >= 0; shift -= 3) {
        const uint32_t code = (format >> shift) & 7u;
        ArgumentView view;
        switch (code) {
            case kTraceArgEnd:
                return;
            case kTraceArgText:
                view = textView(va_arg(args, const char*));
                break;
            case kTraceArgDouble:
                view.code = code;
                view.number = va_arg(args, double);
                break;
            case kTraceArgInt:
                view.code = code;
                view.integer = static_cast<int32_t>(va_arg(args, int));
                break;
            case kTraceArgText16:
                view = text16View(va_arg(args, const char16_t*));
                break;
            default:
                // An unknown code cannot be skipped safely: the argument's size is unknown.
                out.items[out.count++] = textView(badCodeText(code));
                return;
        }
        out.items[out.count++] = view;
    }
}

// The views of the arguments of a decoded record.
PointArguments viewsOf(const TraceRecord& record) {
    PointArguments views;
    for (const TraceArgument& argument : record.arguments) {
        if (views.count == views.items.size()) {
            break;
        }
        ArgumentView& view = views.items[views.count++];
        if (const auto* text = std::get_if<std::string>(&argument)) {
            view.code = kTraceArgText;
            view.text = text->data();
            view.length = text->size();
        } else if (const auto* number = std::get_if<double>(&argument)) {
            view.code = kTraceArgDouble;
            view.number = *number;
        } else if (const auto* integer = std::get_if<int32_t>(&argument)) {
            view.code = kTraceArgInt;
            view.integer = *integer;
        } else {
            const std::u16string& text16 = std::get<std::u16string>(argument);
            view.code = kTraceArgText16;
            view.text16 = text16.data();
            view.length = text16.size();
        }
    }
    return views;
}

TraceArgument argumentOf(const ArgumentView& view) {
    switch (view.code) {
        case kTraceArgText:
            return std::string(view.text, view.length);
        case kTraceArgDouble:
            return view.number;
        case kTraceArgInt:
            return view.integer;
        default:
            return std::u16string(view.text16, view.length);
    }
}

TraceRecord recordOf(uint32_t selector, uint32_t id, const PointArguments& arguments) {
    TraceRecord record{selector, id, {}};
    record.arguments.reserve(arguments.count);
    for (size_t i = 0; i < arguments.count; ++i) {
        record.arguments.push_back(argumentOf(arguments.items[i]));
    }
    return record;
}

// Writes one point as the trace log has it: sel=0 id=0x650013 ["name", -7, 2.5, u"w?rme"].
// Wide texts are narrowed, every unit outside ASCII becoming '?'.
void writePoint(std::ostream& out, uint32_t selector, uint32_t id,
                const PointArguments& arguments) {
    out << "sel=" << selector << " id=0x" << std::hex << id << std::dec << " [";
    for (size_t i = 0; i < arguments.count; ++i) {
        const ArgumentView& view = arguments.items[i];
        if (i > 0) {
            out << ", ";
        }
        switch (view.code) {
            case kTraceArgText:
                out << '"';
                out.write(view.text, static_cast<std::streamsize>(view.length));
                out << '"';
                break;
            case kTraceArgDouble:
                out << view.number;
                break;
            case kTraceArgInt:
                out << view.integer;
                break;
            default:
                out << "u\"";
                for (size_t c = 0; c < view.length; ++c) {
                    const char16_t unit = view.text16[c];
                    out << (unit < 0x80 ? static_cast<char>(unit) : '?');
                }
                out << '"';
                break;
        }
    }
    out << "]";
}

// The text arguments of a point, joined by ": " (no separator while the joined text is still
// empty), replace `kept` when they make any text.
void keepErrorText(const PointArguments& arguments, std::string& kept) {
    const auto begin = arguments.items.begin();
    const auto end = begin + static_cast<std::ptrdiff_t>(arguments.count);
    const bool anyText = std::any_of(begin, end, [](const ArgumentView& view) {
        return view.code == kTraceArgText && view.length > 0;
    });
    if (!anyText) {
        return;
    }
    kept.clear();
    for (auto view = begin; view != end; ++view) {
        if (view->code == kTraceArgText) {
            kept.append(kept.empty() ? "" : ": ").append(view->text, view->length);
        }
    }
}

}  // namespace

void setTraceLevel(uint32_t maxLevel) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().maxLevel = maxLevel;
    publishEnabled(state());
}

void enableTrace(uint32_t id) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().disabled.erase(id);
    state().enabled.insert(id);
    publishEnabled(state());
}

void disableTrace(uint32_t id) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().enabled.erase(id);
    state().disabled.insert(id);
    publishEnabled(state());
}

void resetTraceSettings() {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().maxLevel = kDefaultLevel;
    state().enabled.clear();
    state().disabled.clear();
    publishEnabled(state());
}

void setTraceLogFile(const std::string& path) {
    std::lock_guard<std::mutex> lock(state().mutex);
    if (state().file.is_open()) {
        state().file.close();
    }
    if (!path.empty()) {
        state().file.open(path, std::ios::app);
    }
    publishReaders(state());
}

std::string formatTrace(const TraceRecord& record) {
    std::ostringstream out;
    writePoint(out, record.selector, record.id, viewsOf(record));
    return out.str();
}

TraceCapture::TraceCapture() {
    openKeeper(state().capture, kLevelMask);
}

TraceCapture::~TraceCapture() {
    closeKeeper(state().capture);
}

std::vector<TraceRecord> TraceCapture::records() const {
    return keptRecords(state().capture);
}

std::vector<TraceRecord> TraceCapture::withId(uint32_t id) const {
    std::lock_guard<std::mutex> lock(state().mutex);
    std::vector<TraceRecord> found;
    for (const TraceRecord& record : *state().capture.records) {
        if (record.id == id) {
            found.push_back(record);
        }
    }
    return found;
}

void TraceCapture::clear() {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().capture.records->clear();
}

namespace detail {

std::string takeErrorTraceText() {
    std::lock_guard<std::mutex> lock(state().mutex);
    std::string text = state().errorText;
    state().errorText.clear();  // keeps its storage for the next error
    return text;
}

}  // namespace detail

TraceWatch::TraceWatch(uint32_t maxLevel) {
    openKeeper(state().watch, maxLevel);
}

TraceWatch::~TraceWatch() {
    closeKeeper(state().watch);
}

std::vector<TraceRecord> TraceWatch::records() const {
    return keptRecords(state().watch);
}

}  // namespace host

uint8_t Tarvo_GetTraceSelector() {
    return host::selectorByte().load();
}

void Tarvo_SetTraceSelector(uint8_t selector) {
    host::selectorByte().store(selector);
}

int Tarvo_TraceEnabled(uint32_t /*selector*/, uint32_t id) {
    const uint32_t word = host::enabledWord.load(std::memory_order_acquire);
    const int levelEnabled = static_cast<int>((word >> (id & host::kLevelMask)) & 1u);
    if ((word & host::kOverridden) == 0) {
        return levelEnabled;
    }
    host::TraceState& s = host::state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.disabled.count(id) != 0) {
        return 0;
    }
    return s.enabled.count(id) != 0 ? 1 : levelEnabled;
}

void Tarvo_Trace(uint32_t selector, uint32_t id, uint32_t format, ...) {
    const uint32_t level = id & host::kLevelMask;
    if (level > host::readLevel.load(std::memory_order_acquire)) {
        return;  // nothing reads it
    }
    host::PointArguments arguments;
    va_list args;
    va_start(args, format);
    host::decodeArguments(format, args, arguments);
    va_end(args);
    host::TraceState& s = host::state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.file.is_open()) {
        host::writePoint(s.file, selector, id, arguments);
        s.file << '\n';
        s.file.flush();
    }
    if (level <= host::kErrorLevel) {
        host::keepErrorText(arguments, s.errorText);
    }
    for (host::Keeper* keeper : {&s.watch, &s.capture}) {
        if (keeper->takes(level)) {
            keeper->records->push_back(host::recordOf(selector, id, arguments));
        }
    }
}
