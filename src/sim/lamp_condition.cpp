#include "sim/lamp_condition.h"

#include <algorithm>
#include <cmath>

namespace XPL {

bool CLampCondition::Passes(double v, bool readAsFloat) const {
    const double bound = readAsFloat ? static_cast<double>(static_cast<float>(value)) : value;
    switch (test) {
        case Test::Above:
            return v > bound;
        case Test::Below:
            return v < bound;
        case Test::Equal:
            return v == bound;
        case Test::BitSet: {
            if (!std::isfinite(v)) {
                return false;
            }
            const auto whole = static_cast<int64_t>(std::clamp(std::trunc(v), -9.2e18, 9.2e18));
            return ((whole >> static_cast<int>(value)) & 1) != 0;
        }
    }
    return false;
}

bool CLampCondition::Holds() const {
    if (handle == nullptr) {
        return false;
    }
    if (first == kWhole) {
        // A plain number, read as the simulator offers it (int first: exact for the bit test).
        if ((types & xplmType_Int) != 0 || types == xplmType_Unknown) {
            return Passes(XPLMGetDatai(handle), false);
        }
        if ((types & xplmType_Float) != 0) {
            return Passes(XPLMGetDataf(handle), true);
        }
    }
    // Elements; a plain number counts as an array of one.
    const int32_t begin = first == kWhole ? 0 : first;
    const int count =
        static_cast<int>(std::min(last == kWhole ? 0 : last - begin, kMostElements - 1)) + 1;
    double values[kMostElements];
    int got = 0;
    bool readAsFloat = false;
    if ((types & xplmType_IntArray) != 0 || types == xplmType_Unknown) {
        int read[kMostElements];
        got = XPLMGetDatavi(handle, read, begin, count);
        std::copy_n(read, std::max(got, 0), values);
    } else if ((types & xplmType_FloatArray) != 0) {
        float read[kMostElements];
        got = XPLMGetDatavf(handle, read, begin, count);
        std::copy_n(read, std::max(got, 0), values);
        readAsFloat = true;
    } else if (begin == 0) {
        readAsFloat = (types & xplmType_Int) == 0;
        values[0] = readAsFloat ? XPLMGetDataf(handle) : XPLMGetDatai(handle);
        got = 1;
    }
    if (got <= 0) {
        return false;
    }
    // Elements the array does not have count as failing.
    bool any = false;
    bool every = got == count;
    for (int i = 0; i < got; ++i) {
        const bool passes = Passes(values[i], readAsFloat);
        any = any || passes;
        every = every && passes;
    }
    return all ? every : any;
}

}  // namespace XPL
