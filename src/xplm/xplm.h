// The simulator SDK (XPLM) functions this plug-in calls, declared with the SDK's C signatures.
// The shipped module links them from XPLM_64.dll; host builds link the virtual simulator,
// which defines the same functions.
#pragma once

extern "C" {

using XPLMDataRef = void*;
using XPLMCommandRef = void*;
using XPLMPluginID = int;
using XPLMCommandKeyID = int;
using XPLMCommandButtonID = int;
// A bit set of the types a dataref offers (XPLMGetDataRefTypes).
using XPLMDataTypeID = int;
inline constexpr XPLMDataTypeID xplmType_Unknown = 0;
inline constexpr XPLMDataTypeID xplmType_Int = 1;
inline constexpr XPLMDataTypeID xplmType_Float = 2;
inline constexpr XPLMDataTypeID xplmType_Double = 4;
inline constexpr XPLMDataTypeID xplmType_FloatArray = 8;
inline constexpr XPLMDataTypeID xplmType_IntArray = 16;
inline constexpr XPLMDataTypeID xplmType_Data = 32;

// Runs on the simulator's thread; the returned value is the next interval (-1.0: next frame).
using XPLMFlightLoop_f = float (*)(float inElapsedSinceLastCall,
                                   float inElapsedTimeSinceLastFlightLoop, int inCounter,
                                   void* inRefcon);

// The simulator's message sent when an aircraft was loaded; the parameter is its index.
inline constexpr int XPLM_MSG_PLANE_LOADED = 102;
inline constexpr XPLMPluginID XPLM_PLUGIN_XPLANE = 0;

void XPLMRegisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, float inInterval,
                                    void* inRefcon);
void XPLMUnregisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, void* inRefcon);

// Null for a path the simulator does not know.
XPLMCommandRef XPLMFindCommand(const char* inName);
void XPLMCommandOnce(XPLMCommandRef inCommand);
void XPLMCommandBegin(XPLMCommandRef inCommand);
void XPLMCommandEnd(XPLMCommandRef inCommand);

// Null for a path the simulator does not know; reads through a null handle give 0.
XPLMDataRef XPLMFindDataRef(const char* inDataRefName);
// The types the dataref offers; xplmType_Unknown for a null handle.
XPLMDataTypeID XPLMGetDataRefTypes(XPLMDataRef inDataRef);
int XPLMGetDatai(XPLMDataRef inDataRef);
void XPLMSetDatai(XPLMDataRef inDataRef, int inValue);
float XPLMGetDataf(XPLMDataRef inDataRef);
void XPLMSetDataf(XPLMDataRef inDataRef, float inValue);
// Fill up to inMax elements from inOffset and return the count filled; with a null buffer
// return the array's length.
int XPLMGetDatavi(XPLMDataRef inDataRef, int* outValues, int inOffset, int inMax);
void XPLMSetDatavi(XPLMDataRef inDataRef, int* inValues, int inoffset, int inCount);
int XPLMGetDatavf(XPLMDataRef inDataRef, float* outValues, int inOffset, int inMax);
void XPLMSetDatavf(XPLMDataRef inDataRef, float* inValues, int inoffset, int inCount);
// Bytes of a data dataref (a text such as the aircraft's ICAO type), as the array reads above.
int XPLMGetDatab(XPLMDataRef inDataRef, void* outValue, int inOffset, int inMaxBytes);

void XPLMCommandKeyStroke(XPLMCommandKeyID inKey);
void XPLMCommandButtonPress(XPLMCommandButtonID inButton);
void XPLMCommandButtonRelease(XPLMCommandButtonID inButton);
void XPLMSpeakString(const char* inString);
// Appends the text to the simulator's log file (Log.txt) as it is: the caller ends its lines.
void XPLMDebugString(const char* inString);

// Index 0 is the user aircraft; outFileName holds 256 bytes, outPath 512.
void XPLMGetNthAircraftModel(int inIndex, char* outFileName, char* outPath);

}  // extern "C"
