#include "screen/screen_panel_gauge.h"

#include <string>

#include "sim/input_simulation.h"
#include "trace/trace.h"
#include "xplm/xplm.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kScreen;

// Windows-1252 bytes 0x80 to 0x9F; 0 where the code page has no character.
constexpr wchar_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char AnsiOf(wchar_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(static_cast<unsigned char>(c));
    }
    for (int i = 0; i < 32; ++i) {
        if (kWindows1252High[i] != 0 && kWindows1252High[i] == c) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

}  // namespace

CScreenPanel::CGauge::~CGauge() = default;

bool CScreenPanel::CGauge::Initialize(const std::wstring& path, const ButtonBindings& bindings) {
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::CGauge::Initialize");
    document = std::make_unique<CGaugeDocument>();
    boundButtons = 0;
    if (!document->Load(variables, path)) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in loading the gauge xml file: %s", path);
        TraceWrite(kTraceDetail, kKeyword, kTraceMessage, L"The gauge is unusable: %s",
                   document->loadFailure);
        document.reset();
        return false;
    }
    for (const std::wstring& failure : document->bitmapFailures) {
        TraceWrite(kTraceNotice, kKeyword, kTraceMessage, L"A bitmap of the gauge is missing: %s",
                   failure);
    }
    for (const ButtonBinding& binding : bindings) {
        if (binding.number != 0) {
            AddButton(binding.number, binding.label, binding.event, binding.eventType,
                      static_cast<uint8_t>(binding.visible));
        }
    }
    return true;
}

bool CScreenPanel::CGauge::Update() {
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::CGauge::Update");
    return variables.Fetch();
}

void CScreenPanel::CGauge::AddButton(int32_t number, const std::wstring& label,
                                     const std::wstring& event, uint32_t eventType,
                                     uint8_t visible) {
    if (document == nullptr) {
        return;
    }
    for (const GaugeButton& button : document->buttons) {
        if (button.id == number) {
            return;
        }
    }
    GaugeButton button;
    button.id = number;
    button.label = label;
    button.event = event;
    button.eventType = eventType;
    button.visible = visible;
    document->buttons.push_back(std::move(button));
    if (number >= 0 && number < 16) {
        boundButtons = static_cast<uint16_t>(boundButtons | (1u << number));
    }
}

void CScreenPanel::CGauge::FireButton(int32_t number, uint32_t state) const {
    if (document == nullptr) {
        return;
    }
    for (const GaugeButton& button : document->buttons) {
        if (button.id == number) {
            char event[kEventBufferBytes];
            ToAnsi(button.event, event, sizeof(event));
            FireGaugeEvent(event, button.eventType, state);
            return;
        }
    }
}

void CScreenPanel::CGauge::FireGaugeEvent(const char* event, uint32_t eventType, uint32_t state) {
    const bool press = state == 1;
    switch (eventType) {
        case kEventKey:
            if (press) {
                KeyStroke(event);
            }
            break;
        case kEventButton:
            ButtonPress(event, press);
            break;
        case kEventCommand:
            if (press) {
                if (XPLMCommandRef command = XPLMFindCommand(event); command != nullptr) {
                    XPLMCommandOnce(command);
                }
            }
            break;
        case kEventVInput:
            UTILITY::SimulateInput(event, press);
            break;
        case kEventString:
            if (press) {
                XPLMSpeakString(event);
            }
            break;
        default:
            break;
    }
}

bool CScreenPanel::CGauge::BindsButton(int32_t number) const {
    return number >= 0 && number < 16 && (boundButtons >> number & 1u) != 0;
}

const std::wstring& CScreenPanel::CGauge::Name() const {
    static const std::wstring kNone;
    return document != nullptr ? document->name : kNone;
}

void CScreenPanel::CGauge::ToAnsi(std::wstring_view text, char* out, size_t capacity) {
    if (capacity == 0) {
        return;
    }
    size_t written = 0;
    for (size_t i = 0; i < text.size() && written + 1 < capacity; ++i) {
        wchar_t c = text[i];
        // A character beyond the BMP (a surrogate pair, or one wide unit where wchar_t is 32
        // bits) is one '?', as Windows writes it.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
            c = 0xFFFD;
        }
        out[written++] = AnsiOf(c);
    }
    out[written] = '\0';
}

}  // namespace XPL
