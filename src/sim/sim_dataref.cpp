#include "sim/sim_dataref.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

namespace XPL {

namespace {

// Array conversions go through this many elements at a time on the stack: more than any
// member's users read at once, so each read stays one SDK call.
constexpr int kChunk = 64;

bool Offers(const SimDataRef& ref, XPLMDataTypeID type) {
    return (ref.types & type) != 0;
}

int32_t Base(const SimDataRef& ref) {
    return ref.element == SimDataRef::kWhole ? 0 : ref.element;
}

// The nearest whole number (a half away from zero): a float that stands for a count or a state
// (1.9999999) means it.
int RoundToInt(float value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double rounded = std::round(static_cast<double>(value));
    if (rounded >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (rounded <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(rounded);
}

// Whether the member stands for an array (one element of it, or the array a whole-array read
// asks for): the dataref offers one, or the simulator does not say and an element was named.
bool IntArraySide(const SimDataRef& ref) {
    return Offers(ref, xplmType_IntArray) ||
           (ref.types == xplmType_Unknown && ref.element != SimDataRef::kWhole);
}
bool FloatArraySide(const SimDataRef& ref) {
    return Offers(ref, xplmType_FloatArray) ||
           (ref.types == xplmType_Unknown && ref.element != SimDataRef::kWhole);
}

// The member's one value, read the way the dataref offers it, int first or float first.
double ReadValue(const SimDataRef& ref, bool intFirst) {
    if (ref.element != SimDataRef::kWhole) {
        if (intFirst ? IntArraySide(ref) : !FloatArraySide(ref) && IntArraySide(ref)) {
            int value = 0;
            XPLMGetDatavi(ref.handle, &value, ref.element, 1);
            return value;
        }
        if (FloatArraySide(ref)) {
            float value = 0.0f;
            XPLMGetDatavf(ref.handle, &value, ref.element, 1);
            return value;
        }
        if (ref.element != 0) {
            return 0.0;  // a plain number has element 0 only
        }
    }
    const bool hasInt = Offers(ref, xplmType_Int);
    const bool hasFloat = Offers(ref, xplmType_Float);
    if (hasInt && (intFirst || !hasFloat)) {
        return XPLMGetDatai(ref.handle);
    }
    if (hasFloat) {
        return XPLMGetDataf(ref.handle);
    }
    const bool hasInts = Offers(ref, xplmType_IntArray);
    if (hasInts && (intFirst || !Offers(ref, xplmType_FloatArray))) {
        int value = 0;
        XPLMGetDatavi(ref.handle, &value, 0, 1);
        return value;
    }
    if (Offers(ref, xplmType_FloatArray)) {
        float value = 0.0f;
        XPLMGetDatavf(ref.handle, &value, 0, 1);
        return value;
    }
    return intFirst ? static_cast<double>(XPLMGetDatai(ref.handle)) : XPLMGetDataf(ref.handle);
}

void WriteValue(const SimDataRef& ref, int intValue, float floatValue, bool intFirst) {
    const int32_t base = Base(ref);
    const bool intArray = IntArraySide(ref);
    const bool floatArray = FloatArraySide(ref);
    const bool hasInt = Offers(ref, xplmType_Int);
    const bool hasFloat = Offers(ref, xplmType_Float);
    if (ref.element == SimDataRef::kWhole || (!intArray && !floatArray)) {
        if (ref.element != SimDataRef::kWhole && ref.element != 0) {
            return;  // a plain number has element 0 only
        }
        if (hasInt && (intFirst || !hasFloat)) {
            XPLMSetDatai(ref.handle, intValue);
            return;
        }
        if (hasFloat) {
            XPLMSetDataf(ref.handle, floatValue);
            return;
        }
        if (!intArray && !floatArray) {
            if (intFirst) {
                XPLMSetDatai(ref.handle, intValue);
            } else {
                XPLMSetDataf(ref.handle, floatValue);
            }
            return;
        }
    }
    if (intArray && (intFirst || !floatArray)) {
        XPLMSetDatavi(ref.handle, &intValue, base, 1);
    } else {
        XPLMSetDatavf(ref.handle, &floatValue, base, 1);
    }
}

// Reads max elements from start of an array of S into values of T, converting through the stack
// a chunk at a time when the types differ.
template <typename T, typename S>
int ReadElements(XPLMDataRef handle, T* values, int start, int max,
                 int (*read)(XPLMDataRef, S*, int, int)) {
    if constexpr (std::is_same_v<T, S>) {
        return read(handle, values, start, max);
    } else {
        int filled = 0;
        while (filled < max) {
            S buffer[kChunk];
            const int want = std::min(kChunk, max - filled);
            const int got = std::max(read(handle, buffer, start + filled, want), 0);
            for (int i = 0; i < got; ++i) {
                if constexpr (std::is_same_v<T, int>) {
                    values[filled + i] = RoundToInt(buffer[i]);
                } else {
                    values[filled + i] = static_cast<T>(buffer[i]);
                }
            }
            filled += got;
            if (got < want) {
                break;
            }
        }
        return filled;
    }
}

// An array read of the member from its first element on: from the array the dataref offers
// (the one of T's type first), or a plain number as an array of one.
template <typename T>
int ReadArray(const SimDataRef& ref, T* values, int offset, int max) {
    constexpr bool kInts = std::is_same_v<T, int>;
    const bool same = kInts ? IntArraySide(ref) : FloatArraySide(ref);
    const bool other = kInts ? FloatArraySide(ref) : IntArraySide(ref);
    const int64_t start = static_cast<int64_t>(Base(ref)) + offset;
    if (same || other) {
        const bool intArray = same ? kInts : !kInts;
        if (values == nullptr) {
            const int length = intArray ? XPLMGetDatavi(ref.handle, nullptr, 0, 0)
                                        : XPLMGetDatavf(ref.handle, nullptr, 0, 0);
            return static_cast<int>(std::max<int64_t>(0, length - Base(ref)));
        }
        if (start < 0 || start > std::numeric_limits<int>::max()) {
            return 0;
        }
        return intArray
                   ? ReadElements(ref.handle, values, static_cast<int>(start), max, &XPLMGetDatavi)
                   : ReadElements(ref.handle, values, static_cast<int>(start), max, &XPLMGetDatavf);
    }
    if (values == nullptr) {
        return 1;
    }
    if (start != 0 || max < 1) {
        return 0;
    }
    const double value = ReadValue(ref, kInts);
    if constexpr (kInts) {
        values[0] = RoundToInt(static_cast<float>(value));
    } else {
        values[0] = static_cast<float>(value);
    }
    return 1;
}

}  // namespace

SimDataRef SimDataRef::PointedAt(XPLMDataRef target, XPLMDataTypeID types, int32_t element) {
    SimDataRef ref(target);
    ref.types = types;
    ref.element = element < 0 ? kWhole : element;
    const bool whole = ref.element == kWhole;
    const bool unknown = types == xplmType_Unknown;
    const auto direct = [&](XPLMDataTypeID type) { return whole && (unknown || (types & type)); };
    ref.converted = static_cast<uint8_t>(
        (direct(xplmType_Int) ? 0 : kInt) | (direct(xplmType_Float) ? 0 : kFloat) |
        (direct(xplmType_IntArray) ? 0 : kInts) | (direct(xplmType_FloatArray) ? 0 : kFloats));
    return ref;
}

int ConvertedGetDatai(const SimDataRef& ref) {
    // The frequent cases first: an element of an int array, a decimal number.
    if (ref.element != SimDataRef::kWhole && Offers(ref, xplmType_IntArray)) {
        int value = 0;
        XPLMGetDatavi(ref.handle, &value, ref.element, 1);
        return value;
    }
    if (ref.element == SimDataRef::kWhole && Offers(ref, xplmType_Float)) {
        return RoundToInt(XPLMGetDataf(ref.handle));
    }
    return RoundToInt(static_cast<float>(ReadValue(ref, true)));
}

float ConvertedGetDataf(const SimDataRef& ref) {
    // The frequent cases first: an element of a float array, a whole number.
    if (ref.element != SimDataRef::kWhole && Offers(ref, xplmType_FloatArray)) {
        float value = 0.0f;
        XPLMGetDatavf(ref.handle, &value, ref.element, 1);
        return value;
    }
    if (ref.element == SimDataRef::kWhole && Offers(ref, xplmType_Int) &&
        !Offers(ref, xplmType_Float)) {
        return static_cast<float>(XPLMGetDatai(ref.handle));
    }
    return static_cast<float>(ReadValue(ref, false));
}

int ConvertedGetDatavi(const SimDataRef& ref, int* values, int offset, int max) {
    return ReadArray(ref, values, offset, max);
}

int ConvertedGetDatavf(const SimDataRef& ref, float* values, int offset, int max) {
    return ReadArray(ref, values, offset, max);
}

void ConvertedSetDatai(const SimDataRef& ref, int value) {
    WriteValue(ref, value, static_cast<float>(value), true);
}

void ConvertedSetDataf(const SimDataRef& ref, float value) {
    WriteValue(ref, RoundToInt(value), value, false);
}

void ConvertedSetDatavi(const SimDataRef& ref, int* values, int offset, int count) {
    const int64_t start = static_cast<int64_t>(Base(ref)) + offset;
    if (start < 0 || start > std::numeric_limits<int>::max()) {
        return;
    }
    if (Offers(ref, xplmType_IntArray) || ref.types == xplmType_Unknown) {
        XPLMSetDatavi(ref.handle, values, static_cast<int>(start), count);
        return;
    }
    if (Offers(ref, xplmType_FloatArray)) {
        for (int done = 0; done < count && values != nullptr;) {
            float buffer[kChunk];
            const int chunk = std::min(kChunk, count - done);
            for (int i = 0; i < chunk; ++i) {
                buffer[i] = static_cast<float>(values[done + i]);
            }
            XPLMSetDatavf(ref.handle, buffer, static_cast<int>(start) + done, chunk);
            done += chunk;
        }
        return;
    }
    // A plain number: its one element.
    if (start == 0 && count >= 1 && values != nullptr) {
        WriteValue(SimDataRef::PointedAt(ref.handle, ref.types), values[0],
                   static_cast<float>(values[0]), true);
    }
}

}  // namespace XPL
