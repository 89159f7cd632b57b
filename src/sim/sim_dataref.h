// A dataref member of the registry: the handle the panels read and write through, and, when an
// aircraft profile points the member at another dataref, how to reach the value there.
//
// Panels read and write members with the functions below, which take the SDK's names and
// arguments. A member as resolved at start (or pointed at a dataref that offers the type the
// panel uses) passes straight to the SDK: one bit test more than calling it directly. Otherwise
// the value is converted by the types the simulator reports for the dataref pointed at:
//   - an int read of a float gives the nearest whole number (a half away from zero; NaN 0, out
//     of range the nearest end); a float read of an int gives the int;
//   - a member pointed at one element of an array ("path[3]") reads and writes that element; an
//     array read of such a member starts at that element;
//   - an array read of a plain number gives one element, the number; writes alike.
// Each access makes the same one SDK read or write as an unconverted one (an array converted
// between int and float goes through a buffer on the stack), so a profiled frame costs what an
// unprofiled one does. Simulator's thread only, like the registry.
#pragma once

#include <cstdint>

#include "xplm/xplm.h"

namespace XPL {

struct SimDataRef {
    // The kinds of access, as bits of `converted`.
    static constexpr uint8_t kInt = 0x1;
    static constexpr uint8_t kFloat = 0x2;
    static constexpr uint8_t kInts = 0x4;
    static constexpr uint8_t kFloats = 0x8;
    static constexpr int32_t kWhole = -1;

    SimDataRef() = default;
    // A member that reaches handle as the SDK does, whatever its type.
    SimDataRef(XPLMDataRef direct) : handle(direct) {}  // NOLINT: a plain handle is a member

    // A member pointed at target, which offers types (xplmType_ bits; xplmType_Unknown when the
    // simulator does not say), or at one element of it.
    static SimDataRef PointedAt(XPLMDataRef target, XPLMDataTypeID types, int32_t element = kWhole);

    XPLMDataRef handle = nullptr;
    // The kinds of access that go through a conversion; 0 for a member the SDK reaches directly.
    uint8_t converted = 0;
    XPLMDataTypeID types = xplmType_Unknown;
    int32_t element = kWhole;

    bool operator==(const SimDataRef&) const = default;
};

int ConvertedGetDatai(const SimDataRef& ref);
float ConvertedGetDataf(const SimDataRef& ref);
int ConvertedGetDatavi(const SimDataRef& ref, int* values, int offset, int max);
int ConvertedGetDatavf(const SimDataRef& ref, float* values, int offset, int max);
void ConvertedSetDatai(const SimDataRef& ref, int value);
void ConvertedSetDataf(const SimDataRef& ref, float value);
void ConvertedSetDatavi(const SimDataRef& ref, int* values, int offset, int count);

inline int GetDatai(const SimDataRef& ref) {
    return (ref.converted & SimDataRef::kInt) != 0 ? ConvertedGetDatai(ref)
                                                   : XPLMGetDatai(ref.handle);
}
inline float GetDataf(const SimDataRef& ref) {
    return (ref.converted & SimDataRef::kFloat) != 0 ? ConvertedGetDataf(ref)
                                                     : XPLMGetDataf(ref.handle);
}
// As XPLMGetDatavi: up to max elements from offset, the count filled; a null buffer gives the
// length.
inline int GetDatavi(const SimDataRef& ref, int* values, int offset, int max) {
    return (ref.converted & SimDataRef::kInts) != 0
               ? ConvertedGetDatavi(ref, values, offset, max)
               : XPLMGetDatavi(ref.handle, values, offset, max);
}
inline int GetDatavf(const SimDataRef& ref, float* values, int offset, int max) {
    return (ref.converted & SimDataRef::kFloats) != 0
               ? ConvertedGetDatavf(ref, values, offset, max)
               : XPLMGetDatavf(ref.handle, values, offset, max);
}
inline void SetDatai(const SimDataRef& ref, int value) {
    if ((ref.converted & SimDataRef::kInt) != 0) {
        ConvertedSetDatai(ref, value);
    } else {
        XPLMSetDatai(ref.handle, value);
    }
}
inline void SetDataf(const SimDataRef& ref, float value) {
    if ((ref.converted & SimDataRef::kFloat) != 0) {
        ConvertedSetDataf(ref, value);
    } else {
        XPLMSetDataf(ref.handle, value);
    }
}
inline void SetDatavi(const SimDataRef& ref, int* values, int offset, int count) {
    if ((ref.converted & SimDataRef::kInts) != 0) {
        ConvertedSetDatavi(ref, values, offset, count);
    } else {
        XPLMSetDatavi(ref.handle, values, offset, count);
    }
}

}  // namespace XPL
