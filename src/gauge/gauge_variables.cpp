#include "gauge/gauge_variables.h"

#include <algorithm>

#include "gauge/gauge_numbers.h"
#include "gauge/gauge_script.h"

namespace XPL {

namespace {

// Three-way comparison of key with name + "," + unit, character by character.
int CompareKey(std::wstring_view key, std::wstring_view name, std::wstring_view unit) {
    const size_t length = name.size() + 1 + unit.size();
    const size_t shared = std::min(key.size(), length);
    for (size_t i = 0; i < shared; ++i) {
        const wchar_t c =
            i < name.size() ? name[i] : (i == name.size() ? L',' : unit[i - name.size() - 1]);
        if (key[i] != c) {
            return key[i] < c ? -1 : 1;
        }
    }
    if (key.size() == length) {
        return 0;
    }
    return key.size() < length ? -1 : 1;
}

std::string Narrow(std::wstring_view text) {
    std::string narrow(text.size(), '\0');
    std::transform(text.begin(), text.end(), narrow.begin(),
                   [](wchar_t c) { return static_cast<char>(static_cast<uint32_t>(c) & 0xFF); });
    return narrow;
}

// A found handle stays valid for the whole session, so it is kept: looking a name up costs a
// search in the simulator every frame. A name not found yet is looked up again each time, since
// another plug-in may publish it later.
XPLMDataRef LookUp(XPLMDataRef& handle, const std::string& path) {
    if (handle == nullptr) {
        handle = XPLMFindDataRef(path.c_str());
    }
    return handle;
}

}  // namespace

bool CGaugeVariables::KeyLess::operator()(const std::wstring& a, const KeyParts& b) const {
    return CompareKey(a, b.name, b.unit) < 0;
}

bool CGaugeVariables::KeyLess::operator()(const KeyParts& a, const std::wstring& b) const {
    return CompareKey(b, a.name, a.unit) > 0;
}

bool CGaugeVariables::IsVariableLetter(wchar_t letter) {
    switch (letter) {
        case L'A':
        case L'E':
        case L'P':
        case L'a':
        case L'e':
        case L'p':
            return true;
        default:
            return false;
    }
}

void CGaugeVariables::Register(wchar_t letter, std::wstring_view name, std::wstring_view unit) {
    if (!IsVariableLetter(letter) || names_.size() >= kMaxCount) {
        return;
    }
    const KeyParts parts{name, unit};
    const auto place = index_.lower_bound(parts);
    if (place != index_.end() && !KeyLess()(parts, place->first)) {
        return;  // held already
    }
    std::wstring key(name);
    key += L',';
    key += unit;
    index_.emplace_hint(place, std::move(key), static_cast<int32_t>(names_.size()));
    names_.emplace_back(name);
    units_.emplace_back(unit);

    Source source;
    source.path = Narrow(name);
    const size_t colon = source.path.rfind(':');
    if (colon != std::string::npos) {
        source.prefix = source.path.substr(0, colon);
        // The suffix as the simulator's narrowed name spells it.
        std::wstring suffix;
        for (size_t i = colon + 1; i < source.path.size(); ++i) {
            suffix += static_cast<wchar_t>(static_cast<unsigned char>(source.path[i]));
        }
        if (suffix == L"n") {
            source.kind = SourceKind::Int;
        } else if (!suffix.empty() && suffix[0] == L'n') {
            source.kind = SourceKind::IntElement;
            source.element = UTILITY::ParseDecimalInt(std::wstring_view(suffix).substr(1));
        } else {
            source.kind = SourceKind::FloatElement;
            source.element = UTILITY::ParseDecimalInt(suffix);
        }
    }
    sources_.push_back(std::move(source));
}

void CGaugeVariables::RegisterScript(std::wstring_view script) {
    CGaugeScript(this).CollectVariables(script);
    // Loading registers script after script while every value is still 0: growing the arrays
    // then costs only the new entries, so a file of many scripts loads in linear time.
    if (valuesWritten_) {
        current_.assign(names_.size(), 0.0f);
        working_.assign(names_.size(), 0.0f);
        valuesWritten_ = false;
    } else {
        current_.resize(names_.size(), 0.0f);
        working_.resize(names_.size(), 0.0f);
    }
}

int32_t CGaugeVariables::Find(std::wstring_view name, std::wstring_view unit) const {
    const auto found = index_.find(KeyParts{name, unit});
    return found == index_.end() ? -1 : found->second;
}

int32_t CGaugeVariables::IndexOf(std::wstring_view name, std::wstring_view unit) const {
    return Find(name, unit);
}

float CGaugeVariables::Read(wchar_t letter, std::wstring_view name, std::wstring_view unit) const {
    if (!IsVariableLetter(letter)) {
        return 0.0f;
    }
    const int32_t index = Find(name, unit);
    if (index < 0 || static_cast<size_t>(index) >= working_.size()) {
        return 0.0f;
    }
    const float v = working_[static_cast<size_t>(index)];
    if (unit == L"ndegree") {
        return v * -0.017453292f;
    }
    if (unit == L"pdegree") {
        return v * 0.017453292f;
    }
    if (unit == L"negative") {
        return -v;
    }
    if (unit == L"degcf") {
        return v * 1.8f + 32.0f;
    }
    if (unit == L"lbs") {
        return v * 0.453592f;
    }
    if (unit == L"psi") {
        return v * 144.0f;
    }
    return v;
}

void CGaugeVariables::Write(wchar_t letter, std::wstring_view name, std::wstring_view unit,
                            float value) {
    if (!IsVariableLetter(letter)) {
        return;
    }
    const int32_t index = Find(name, unit);
    if (index >= 0 && static_cast<size_t>(index) < working_.size()) {
        working_[static_cast<size_t>(index)] = value;
        valuesWritten_ = true;
    }
}

float CGaugeVariables::ReadSource(Source& source) {
    float v = XPLMGetDataf(LookUp(source.pathRef, source.path));
    if (v != 0.0f) {
        return v;
    }
    switch (source.kind) {
        case SourceKind::Float:
            XPLMGetDatavf(source.pathRef, &v, 0, 1);
            break;
        case SourceKind::Int:
            v = static_cast<float>(XPLMGetDatai(LookUp(source.prefixRef, source.prefix)));
            break;
        case SourceKind::IntElement:
            if (source.element >= 0) {
                int element = 0;
                XPLMGetDatavi(LookUp(source.prefixRef, source.prefix), &element, source.element, 1);
                v = static_cast<float>(element);
            }
            break;
        case SourceKind::FloatElement:
            if (source.element >= 0) {
                XPLMGetDatavf(LookUp(source.prefixRef, source.prefix), &v, source.element, 1);
            }
            break;
    }
    return v;
}

bool CGaugeVariables::Fetch() {
    bool changed = false;
    const size_t count = std::min(sources_.size(), current_.size());
    for (uint16_t i = 0; i < count; ++i) {
        const float fresh = ReadSource(sources_[i]);
        const float current = current_[i];
        // A value that cannot be compared (NaN) is never a change.
        if (fresh > current + kChangeThreshold || current - kChangeThreshold > fresh) {
            current_[i] = fresh;
            changed = true;
            valuesWritten_ = true;
        }
    }
    if (changed && working_.size() == current_.size()) {
        std::copy(current_.begin(), current_.end(), working_.begin());
    }
    return changed;
}

}  // namespace XPL
