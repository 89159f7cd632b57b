#include "screen/screen_panel_gauge.h"

#include <string>

#include "platform/code_page.h"
#include "sim/input_simulation.h"
#include "trace/trace.h"
#include "xplm/xplm.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kScreen;

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
            PLATFORM::ToAnsiCodePage(button.event, event, sizeof(event));
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

}  // namespace XPL
