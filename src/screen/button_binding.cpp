#include "screen/button_binding.h"

#include <climits>
#include <cwctype>

namespace XPL {

namespace {

constexpr std::wstring_view kEventWords[] = {L"",        L"Key",    L"Button",
                                             L"Command", L"VInput", L"String"};

}  // namespace

uint32_t EventTypeOf(std::wstring_view word) {
    for (uint32_t type = kEventKey; type <= kEventString; ++type) {
        if (word == kEventWords[type]) {
            return type;
        }
    }
    return kEventNone;
}

std::wstring_view EventTypeWord(uint32_t eventType) {
    return eventType <= kEventString ? kEventWords[eventType] : std::wstring_view();
}

int32_t ReadButtonId(std::wstring_view text) {
    size_t at = 0;
    while (at < text.size() && std::iswspace(static_cast<wint_t>(text[at])) != 0) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == L'+' || text[at] == L'-')) {
        negative = text[at] == L'-';
        ++at;
    }
    int64_t value = 0;
    for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
        value = value * 10 + (text[at] - L'0');
        if (value > INT_MAX) {
            value = int64_t{INT_MAX} + 1;  // stays out of every range that counts
        }
    }
    const int64_t signedValue = negative ? -value : value;
    return static_cast<int32_t>(signedValue > INT_MAX   ? INT_MAX
                                : signedValue < INT_MIN ? INT_MIN
                                                        : signedValue);
}

void ReadButtonBindings(const PLATFORM::CXmlNode& gauge, ButtonBindings& bindings,
                        const BindingNoteSink& notes) {
    bindings = ButtonBindings{};
    const auto note = [&notes](BindingNote what, const PLATFORM::CXmlNode& child,
                               std::wstring_view value) {
        if (notes) {
            notes(what, child, value);
        }
    };
    for (const PLATFORM::CXmlNode& child : gauge.Children()) {
        if (!child.HasAttributes()) {
            continue;
        }
        const std::wstring idText = child.GetAttribute(L"Id").value_or(std::wstring());
        const int32_t id = ReadButtonId(idText);
        if (id < 1 || id > kBoundButtonCount) {
            note(BindingNote::IgnoredId, child, idText);
            continue;
        }
        ButtonBinding& binding = bindings[static_cast<size_t>(id - 1)];
        if (binding.number != 0) {
            note(BindingNote::RepeatedId, child, idText);
        }
        binding.number = static_cast<uint8_t>(id);
        if (auto name = child.GetAttribute(L"Name")) {
            binding.label = std::move(*name);
        }
        if (auto event = child.GetAttribute(L"Event")) {
            binding.event = std::move(*event);
        }
        if (const auto type = child.GetAttribute(L"Type")) {
            binding.eventType = EventTypeOf(*type);
            if (binding.eventType == kEventNone) {
                note(BindingNote::UnknownType, child, *type);
            }
        } else if (binding.eventType == kEventNone) {
            note(BindingNote::NoType, child, {});
        }
        if (const auto visible = child.GetAttribute(L"Visible")) {
            binding.visible = *visible == L"yes" ? 1 : 0;
            if (binding.visible == 0) {
                note(BindingNote::NotVisible, child, *visible);
            }
        }
    }
}

}  // namespace XPL
