#include "trace/trace.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "platform/trace_sink.h"
#include "trace/simulator_log.h"

namespace XPL {

TraceState g_traceState;

namespace {

// Each thread's indentation depth; raised by an entry line, lowered by an exit line.
thread_local uint32_t t_traceDepth = 0;

class CLineWriter {
public:
    CLineWriter(wchar_t* out, size_t capacity) : out_(out), capacity_(capacity) {}

    void Put(wchar_t c) {
        if (pos_ + 1 < capacity_) {
            out_[pos_++] = c;
        }
    }
    void Repeat(wchar_t c, int count) {
        for (int i = 0; i < count; ++i) {
            Put(c);
        }
    }
    size_t Finish() {
        if (capacity_ != 0) {
            out_[pos_] = L'\0';
        }
        return pos_;
    }

private:
    wchar_t* out_;
    size_t capacity_;
    size_t pos_ = 0;
};

struct FieldSpec {
    bool leftAlign = false;
    bool zeroPad = false;
    bool plusSign = false;
    bool blankSign = false;
    bool alternate = false;
    int width = 0;
    int precision = -1;
};

// Writes prefix (sign or "0x") and body padded to the field width.
void PutPadded(CLineWriter& w, const FieldSpec& spec, const char* prefix, const char* body,
               size_t bodyLength, bool zeroPadAllowed) {
    const int prefixLength = static_cast<int>(std::strlen(prefix));
    const int padding = spec.width - prefixLength - static_cast<int>(bodyLength);
    const bool zeroPad = spec.zeroPad && !spec.leftAlign && zeroPadAllowed;
    if (!spec.leftAlign && !zeroPad) {
        w.Repeat(L' ', padding);
    }
    for (const char* p = prefix; *p != '\0'; ++p) {
        w.Put(static_cast<unsigned char>(*p));
    }
    if (zeroPad) {
        w.Repeat(L'0', padding);
    }
    for (size_t i = 0; i < bodyLength; ++i) {
        w.Put(static_cast<unsigned char>(body[i]));
    }
    if (spec.leftAlign) {
        w.Repeat(L' ', padding);
    }
}

void PutInteger(CLineWriter& w, const FieldSpec& spec, wchar_t conversion, const TraceArg& arg) {
    bool negative = false;
    uint64_t magnitude = 0;
    int base = 10;
    if (conversion == L'd' || conversion == L'i') {
        const int64_t value = arg.AsSigned();
        negative = value < 0;
        magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    } else {
        magnitude = arg.AsUnsigned();
        base = (conversion == L'o') ? 8 : (conversion == L'u') ? 10 : 16;
    }
    char digits[32];
    auto [end, ec] = std::to_chars(digits, digits + sizeof(digits), magnitude, base);
    (void)ec;
    size_t count = static_cast<size_t>(end - digits);
    if (conversion == L'X') {
        for (size_t i = 0; i < count; ++i) {
            if (digits[i] >= 'a' && digits[i] <= 'f') {
                digits[i] = static_cast<char>(digits[i] - 'a' + 'A');
            }
        }
    }
    // Precision is the minimum digit count; a zero value with precision 0 prints no digits.
    char body[96];
    size_t bodyLength = 0;
    if (spec.precision == 0 && magnitude == 0) {
        count = 0;
    }
    for (int i = static_cast<int>(count); i < spec.precision && bodyLength < 64; ++i) {
        body[bodyLength++] = '0';
    }
    std::memcpy(body + bodyLength, digits, count);
    bodyLength += count;

    const char* prefix = "";
    if (negative) {
        prefix = "-";
    } else if ((conversion == L'd' || conversion == L'i') && spec.plusSign) {
        prefix = "+";
    } else if ((conversion == L'd' || conversion == L'i') && spec.blankSign) {
        prefix = " ";
    } else if (spec.alternate && magnitude != 0 && conversion == L'x') {
        prefix = "0x";
    } else if (spec.alternate && magnitude != 0 && conversion == L'X') {
        prefix = "0X";
    }
    PutPadded(w, spec, prefix, body, bodyLength, spec.precision < 0);
}

void PutFloating(CLineWriter& w, const FieldSpec& spec, wchar_t conversion, double value) {
    const int precision = spec.precision < 0 ? 6 : spec.precision;
    std::chars_format format = std::chars_format::fixed;
    const wchar_t lower = (conversion >= L'A' && conversion <= L'Z') ? conversion + 32 : conversion;
    if (lower == L'e') {
        format = std::chars_format::scientific;
    } else if (lower == L'g') {
        format = std::chars_format::general;
    }
    const bool negative = std::signbit(value);
    const double magnitude = negative ? -value : value;
    char body[400];
    auto [end, ec] = std::to_chars(body, body + sizeof(body), magnitude, format,
                                   (lower == L'g' && precision == 0) ? 1 : precision);
    size_t length = ec == std::errc() ? static_cast<size_t>(end - body) : 0;
    if (conversion >= L'A' && conversion <= L'Z') {
        for (size_t i = 0; i < length; ++i) {
            if (body[i] >= 'a' && body[i] <= 'z') {
                body[i] = static_cast<char>(body[i] - 32);
            }
        }
    }
    const char* prefix = negative ? "-" : spec.plusSign ? "+" : spec.blankSign ? " " : "";
    PutPadded(w, spec, prefix, body, length, std::isfinite(value));
}

template <class Char>
void PutText(CLineWriter& w, const FieldSpec& spec, const Char* text) {
    static constexpr Char kNull[] = {'(', 'n', 'u', 'l', 'l', ')', 0};
    if (text == nullptr) {
        text = kNull;
    }
    size_t length = 0;
    while (text[length] != 0 &&
           (spec.precision < 0 || length < static_cast<size_t>(spec.precision))) {
        ++length;
    }
    const int padding = spec.width - static_cast<int>(length);
    if (!spec.leftAlign) {
        w.Repeat(L' ', padding);
    }
    for (size_t i = 0; i < length; ++i) {
        if constexpr (sizeof(Char) == 1) {
            w.Put(static_cast<unsigned char>(text[i]));
        } else {
            w.Put(text[i]);
        }
    }
    if (spec.leftAlign) {
        w.Repeat(L' ', padding);
    }
}

}  // namespace

int64_t TraceArg::AsSigned() const {
    switch (type_) {
        case Type::Signed:
            return s_;
        case Type::Unsigned:
            if (bits_ < 64) {
                // Reinterpret at the argument's own width, as printf would.
                const uint64_t mask = (uint64_t{1} << bits_) - 1;
                const uint64_t sign = uint64_t{1} << (bits_ - 1);
                const uint64_t v = u_ & mask;
                return (v & sign) ? static_cast<int64_t>(v | ~mask) : static_cast<int64_t>(v);
            }
            return static_cast<int64_t>(u_);
        case Type::Pointer:
            return static_cast<int64_t>(reinterpret_cast<uintptr_t>(p_));
        case Type::Floating:
            return static_cast<int64_t>(d_);
        default:
            return 0;
    }
}

uint64_t TraceArg::AsUnsigned() const {
    uint64_t value = 0;
    switch (type_) {
        case Type::Signed:
            value = static_cast<uint64_t>(s_);
            break;
        case Type::Unsigned:
            value = u_;
            break;
        case Type::Pointer:
            return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p_));
        case Type::Floating:
            return static_cast<uint64_t>(static_cast<int64_t>(d_));
        default:
            return 0;
    }
    return bits_ < 64 ? value & ((uint64_t{1} << bits_) - 1) : value;
}

double TraceArg::AsDouble() const {
    switch (type_) {
        case Type::Floating:
            return d_;
        case Type::Signed:
            return static_cast<double>(s_);
        case Type::Unsigned:
            return static_cast<double>(AsUnsigned());
        default:
            return 0.0;
    }
}

size_t FormatTraceText(wchar_t* out, size_t capacity, const wchar_t* format, const TraceArg* args,
                       size_t argCount) {
    CLineWriter w(out, capacity);
    size_t next = 0;
    const TraceArg none{};
    auto take = [&]() -> const TraceArg& { return next < argCount ? args[next++] : none; };

    for (const wchar_t* p = format; p != nullptr && *p != L'\0'; ++p) {
        if (*p != L'%') {
            w.Put(*p);
            continue;
        }
        const wchar_t* start = p++;
        FieldSpec spec;
        for (;; ++p) {
            if (*p == L'-') {
                spec.leftAlign = true;
            } else if (*p == L'0') {
                spec.zeroPad = true;
            } else if (*p == L'+') {
                spec.plusSign = true;
            } else if (*p == L' ') {
                spec.blankSign = true;
            } else if (*p == L'#') {
                spec.alternate = true;
            } else {
                break;
            }
        }
        if (*p == L'*') {
            const int64_t width = take().AsSigned();
            spec.leftAlign |= width < 0;
            spec.width = static_cast<int>(width < 0 ? -width : width);
            ++p;
        } else {
            while (*p >= L'0' && *p <= L'9') {
                spec.width = spec.width * 10 + (*p++ - L'0');
            }
        }
        if (*p == L'.') {
            ++p;
            spec.precision = 0;
            if (*p == L'*') {
                const int64_t precision = take().AsSigned();
                spec.precision = precision < 0 ? -1 : static_cast<int>(precision);
                ++p;
            } else {
                while (*p >= L'0' && *p <= L'9') {
                    spec.precision = spec.precision * 10 + (*p++ - L'0');
                }
            }
        }
        // Length modifiers carry no meaning here: every argument knows its own width.
        while (*p == L'h' || *p == L'l' || *p == L'L' || *p == L'z' || *p == L'j' || *p == L't' ||
               *p == L'w' || *p == L'I' || *p == L'3' || *p == L'2' || *p == L'6' || *p == L'4') {
            ++p;
        }
        spec.width = spec.width > 1024 ? 1024 : spec.width;
        spec.precision = spec.precision > 300 ? 300 : spec.precision;
        switch (*p) {
            case L'd':
            case L'i':
            case L'u':
            case L'x':
            case L'X':
            case L'o':
                PutInteger(w, spec, *p, take());
                break;
            case L'p': {
                FieldSpec pointer = spec;
                pointer.zeroPad = false;
                pointer.precision = 16;
                PutInteger(w, pointer, L'X', take());
                break;
            }
            case L'c': {
                const wchar_t text[2] = {static_cast<wchar_t>(take().AsUnsigned()), L'\0'};
                PutText(w, spec, text);
                break;
            }
            case L'f':
            case L'F':
            case L'e':
            case L'E':
            case L'g':
            case L'G':
                PutFloating(w, spec, *p, take().AsDouble());
                break;
            case L's':
            case L'S': {
                const TraceArg& arg = take();
                if (arg.type() == TraceArg::Type::Wide) {
                    PutText(w, spec, arg.AsWide());
                } else if (arg.type() == TraceArg::Type::Narrow) {
                    PutText(w, spec, arg.AsNarrow());
                } else {
                    PutText(w, spec, L"");
                }
                break;
            }
            case L'%':
                w.Put(L'%');
                break;
            default:
                // Not a conversion this formatter knows: keep the text as written.
                for (const wchar_t* q = start; q <= p && *q != L'\0'; ++q) {
                    w.Put(*q);
                }
                if (*p == L'\0') {
                    return w.Finish();
                }
                break;
        }
    }
    return w.Finish();
}

void TraceWriteArgs(int level, int keyword, int kind, const wchar_t* format, const TraceArg* args,
                    size_t argCount) {
    if (level == kTraceFailure && kind == kTraceMessage) {
        CSimulatorLog::Get().Write(format, args, argCount);
    }
    if (!TraceWanted(level, keyword)) {
        return;
    }
    wchar_t line[kTraceLineChars + 1] = {};
    uint32_t depth = t_traceDepth;
    if (depth != 0 && kind == kTraceExit) {
        --depth;
        t_traceDepth = depth;
    }
    size_t indent = static_cast<size_t>(depth) * 4;
    if (indent > kTraceLineChars - 1) {
        indent = kTraceLineChars - 1;
    }
    for (size_t i = 0; i < indent; ++i) {
        line[i] = L' ';
    }
    // The message gets at most 511 characters and never more than the room after the indent.
    size_t room = kTraceLineChars - indent;
    room = room > kTraceLineChars - 1 ? kTraceLineChars - 1 : room;
    FormatTraceText(line + indent, room + 1, format, args, argCount);

    const uint64_t widened = static_cast<uint64_t>(static_cast<int64_t>(keyword));
    PLATFORM::TraceSinkWrite(g_traceState.registration.load(std::memory_order_relaxed),
                             static_cast<uint8_t>(level), widened, line);
    if (kind == kTraceEntry) {
        t_traceDepth = depth + 1;
    }
}

void TraceHexDump(const uint8_t* data, uint32_t length) {
    if (g_traceState.enabled.load(std::memory_order_relaxed) != 1 ||
        g_traceState.registration.load(std::memory_order_relaxed) == 0 ||
        (g_traceState.keywords.load(std::memory_order_relaxed) & TRACEKW::kPanel) == 0) {
        return;
    }
    const size_t size = static_cast<size_t>(length) * 3 + 1;
    std::unique_ptr<wchar_t[]> text(new (std::nothrow) wchar_t[size]);
    if (!text) {
        return;
    }
    static constexpr wchar_t kHex[] = L"0123456789abcdef";
    for (uint32_t i = 0; i < length; ++i) {
        text[i * 3] = kHex[data[i] >> 4];
        text[i * 3 + 1] = kHex[data[i] & 0xF];
        text[i * 3 + 2] = L' ';
    }
    text[size - 1] = L'\0';
    TraceWrite(kTraceNotice, TRACEKW::kPanel, kTraceMessage, L"The data is %s",
               static_cast<const wchar_t*>(text.get()));
}

void TraceEnableCallback(uint32_t controlCode, uint8_t level, uint64_t matchAnyKeyword) {
    if (controlCode == 1) {
        g_traceState.level.store(level, std::memory_order_relaxed);
        // A controller asking for every keyword gets none: the provider treats that mask as
        // "no selection".
        g_traceState.keywords.store(matchAnyKeyword == ~uint64_t{0} ? 0 : matchAnyKeyword,
                                    std::memory_order_relaxed);
        g_traceState.enabled.store(1, std::memory_order_relaxed);
    } else if (controlCode == 0) {
        g_traceState.enabled.store(0, std::memory_order_relaxed);
        g_traceState.level.store(0, std::memory_order_relaxed);
        g_traceState.keywords.store(0, std::memory_order_relaxed);
    }
}

void TraceRegister() {
    const uint64_t registration = PLATFORM::TraceSinkRegister(&TraceEnableCallback);
    g_traceState.registration.store(registration, std::memory_order_relaxed);
}

void TraceUnregister() {
    const uint64_t registration = g_traceState.registration.exchange(0);
    if (registration != 0) {
        PLATFORM::TraceSinkUnregister(registration);
    }
    g_traceState.enabled.store(0, std::memory_order_relaxed);
    g_traceState.level.store(0, std::memory_order_relaxed);
    g_traceState.keywords.store(0, std::memory_order_relaxed);
}

uint32_t TraceDepth() {
    return t_traceDepth;
}

}  // namespace XPL
