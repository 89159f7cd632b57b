// A lamp condition of an aircraft profile's own: a name that lens programming can use beside the
// built-in conditions, lit while a test of a dataref holds:
//   <Condition Name="ApuFire" DataRef="laminar/B738/annunciator/apu_fire" Above="0.5"/>
//   <Condition Name="EngineFire" DataRef="laminar/B738/fire/engine[0-1]" Elements="any" Equal="1"/>
// The dataref is a number, one element of an array ("path[3]"), or a run of elements
// ("path[0-3]") of which any one (Elements="any", the default) or all (Elements="all") must pass.
// The value is read in the type the simulator reports for the dataref; a test compares it as a
// number (BitSet: the whole number's bit 0 to 31).
#pragma once

#include <cstdint>
#include <string>

#include "xplm/xplm.h"

namespace XPL {

class CLampCondition {
public:
    enum class Test : uint8_t { Above, Below, Equal, BitSet };
    static constexpr int32_t kWhole = -1;
    // Elements a run may span: a frame reads them into a buffer on the stack.
    static constexpr int32_t kMostElements = 64;

    std::wstring name;
    std::string path;        // the dataref, without the element part
    int32_t first = kWhole;  // the first element, or kWhole for a plain number
    int32_t last = kWhole;   // the last element (equal to first for one element)
    bool all = false;        // a run passes when all its elements do (else any one)
    Test test = Test::Above;
    double value = 0.0;  // the bound, the value, or the bit number
    uint32_t line = 0;   // in the profile file, for messages

    // The dataref found and the types the simulator reports for it (null: not found yet).
    XPLMDataRef handle = nullptr;
    XPLMDataTypeID types = xplmType_Unknown;

    // Whether the condition holds now: one read of the dataref, nothing allocated. False while
    // the dataref is not found.
    bool Holds() const;
    // Whether one value passes the test. A value read as a float is compared with the bound as a
    // float holds it, so that Equal="0.1" holds for a float dataref reading 0.1 (and Above="0.1"
    // does not).
    bool Passes(double v, bool readAsFloat) const;
};

}  // namespace XPL
