// The trace log: every operation writes its entry and exit, its failures and notable events as
// plain wide-character lines to the OS's event tracing. A controller outside the module enables
// the provider with a level and a keyword mask; while it is not enabled a trace call costs a few
// comparisons and formats nothing.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace XPL {

enum TraceKind : int { kTraceMessage = 0, kTraceEntry = 1, kTraceExit = 2 };

// Levels as the system uses them.
inline constexpr int kTraceFailure = 1;  // every "Failed in ..." and read/write errors
inline constexpr int kTraceNotice = 2;   // notable events
inline constexpr int kTraceDetail = 3;   // entry/exit lines and details

// One keyword bit per writer; an operation always writes under its own class's bit.
namespace TRACEKW {
inline constexpr int kShell = 0x1;
inline constexpr int kSkydeck = 0x2;
inline constexpr int kPanel = 0x4;
inline constexpr int kToggle = 0x8;
inline constexpr int kLamp = 0x10;
inline constexpr int kTuner = 0x20;
inline constexpr int kAutoflight = 0x40;
inline constexpr int kHotas = 0x80;
inline constexpr int kScreen = 0x100;
inline constexpr int kGlasslink = 0x200;
inline constexpr int kUtility = 0x400;
inline constexpr int kAircraft = 0x800;
}  // namespace TRACEKW

// Width of a line in wide characters, without its terminator.
inline constexpr size_t kTraceLineChars = 512;

// Module-wide trace state. Written by the enable callback on an OS thread and read without a
// lock by every tracing thread; a line written while it changes is either written or dropped.
struct TraceState {
    std::atomic<uint64_t> registration{0};
    std::atomic<uint32_t> enabled{0};
    std::atomic<int32_t> level{0};
    std::atomic<uint64_t> keywords{0};
};
extern TraceState g_traceState;

// One formatting argument, captured by value or by pointer (strings must outlive the call).
class TraceArg {
public:
    enum class Type : uint8_t { None, Signed, Unsigned, Pointer, Floating, Wide, Narrow };

    TraceArg() = default;
    template <class T>
    requires std::is_integral_v<T> TraceArg(T v)
        : type_(std::is_signed_v<T> ? Type::Signed : Type::Unsigned), bits_(sizeof(T) * 8) {
        if constexpr (std::is_signed_v<T>) {
            s_ = static_cast<int64_t>(v);
        } else {
            u_ = static_cast<uint64_t>(v);
        }
    }
    template <class T>
    requires std::is_enum_v<T> TraceArg(T v)
        : TraceArg(static_cast<std::underlying_type_t<T>>(v)) {}
    TraceArg(double v) : type_(Type::Floating), d_(v) {}
    TraceArg(float v) : type_(Type::Floating), d_(v) {}
    TraceArg(const wchar_t* v) : type_(Type::Wide), w_(v) {}
    TraceArg(wchar_t* v) : type_(Type::Wide), w_(v) {}
    TraceArg(const std::wstring& v) : type_(Type::Wide), w_(v.c_str()) {}
    TraceArg(const char* v) : type_(Type::Narrow), n_(v) {}
    TraceArg(char* v) : type_(Type::Narrow), n_(v) {}
    TraceArg(const std::string& v) : type_(Type::Narrow), n_(v.c_str()) {}
    TraceArg(const void* v) : type_(Type::Pointer), p_(v) {}
    TraceArg(std::nullptr_t) : type_(Type::Pointer), p_(nullptr) {}

    Type type() const { return type_; }
    unsigned bits() const { return bits_; }
    int64_t AsSigned() const;
    uint64_t AsUnsigned() const;  // truncated to the argument's own width
    double AsDouble() const;
    const wchar_t* AsWide() const { return type_ == Type::Wide ? w_ : nullptr; }
    const char* AsNarrow() const { return type_ == Type::Narrow ? n_ : nullptr; }

private:
    Type type_ = Type::None;
    uint8_t bits_ = 64;
    // Only the member that type_ names is ever read; conversions go through values, never
    // through another member.
    union {
        int64_t s_ = 0;
        uint64_t u_;
        double d_;
        const wchar_t* w_;
        const char* n_;
        const void* p_;
    };
};

// printf-style formatting with the same text on every platform: %s takes a wide string and %S a
// narrow one (as in a wide format on Windows); %d %i %u %x %X %o %c %p %f %e %g and %%; flags
// '-' '0' '+' ' ' '#', width and precision (also '*'); length modifiers are accepted and
// ignored. %p prints 16 upper-case hex digits. A missing or mistyped argument prints as empty or
// 0 rather than failing. Writes at most capacity-1 characters and a terminator; returns the
// count written (without terminator).
size_t FormatTraceText(wchar_t* out, size_t capacity, const wchar_t* format, const TraceArg* args,
                       size_t argCount);

// True when a line of this level and keyword would be written now.
inline bool TraceWanted(int level, int keyword) {
    if (g_traceState.enabled.load(std::memory_order_relaxed) != 1 ||
        g_traceState.registration.load(std::memory_order_relaxed) == 0 ||
        level > g_traceState.level.load(std::memory_order_relaxed)) {
        return false;
    }
    const uint64_t widened = static_cast<uint64_t>(static_cast<int64_t>(keyword));
    return (g_traceState.keywords.load(std::memory_order_relaxed) & widened) != 0;
}

void TraceWriteArgs(int level, int keyword, int kind, const wchar_t* format, const TraceArg* args,
                    size_t argCount);

// Captures the arguments and writes the line; kept out of line so that the test in TraceWrite
// stays small enough to be inlined at every call.
template <class... Args>
[[gnu::noinline]] void TraceWriteWanted(int level, int keyword, int kind, const wchar_t* format,
                                        const Args&... args) {
    const TraceArg list[sizeof...(Args) + 1] = {TraceArg(args)..., TraceArg()};
    TraceWriteArgs(level, keyword, kind, format, list, sizeof...(Args));
}

// The one trace call. The level and keyword tests come before any formatting. A failure message
// (level 1) also goes to the simulator's log (CSimulatorLog), whatever the controller wants.
template <class... Args>
inline void TraceWrite(int level, int keyword, int kind, const wchar_t* format,
                       const Args&... args) {
    if ((level == kTraceFailure && kind == kTraceMessage) || TraceWanted(level, keyword)) {
        TraceWriteWanted(level, keyword, kind, format, args...);
    }
}

// Writes "The data is %s" with two lower-case hex digits and a blank per byte (level 2, 0x4).
void TraceHexDump(const uint8_t* data, uint32_t length);

// The provider's enable callback: code 1 enables with the level and match-any keywords (all 64
// bits set are stored as 0), code 0 disables, any other code changes nothing.
void TraceEnableCallback(uint32_t controlCode, uint8_t level, uint64_t matchAnyKeyword);

// Registers the provider (module load) and unregisters it, resetting the state (module unload).
void TraceRegister();
void TraceUnregister();

// This thread's indentation depth (tests read it).
uint32_t TraceDepth();

// Writes the entry line ">>name" now and the exit line "<<name" when the scope ends, so every
// return path of an operation writes its exit.
class CTraceScope {
public:
    CTraceScope(int keyword, const char* name) : keyword_(keyword), name_(name) {
        TraceWrite(kTraceDetail, keyword_, kTraceEntry, L">>%S", name_);
    }
    ~CTraceScope() { TraceWrite(kTraceDetail, keyword_, kTraceExit, L"<<%S", name_); }
    CTraceScope(const CTraceScope&) = delete;
    CTraceScope& operator=(const CTraceScope&) = delete;

private:
    int keyword_;
    const char* name_;
};

}  // namespace XPL
