// The bitmaps of the sample gauges in data/gauges, drawn by code. Each gauge file names its
// bitmaps and places them; the sizes and axes it uses are given beside each drawing below.
//
// Colour keys of the classic gauge dialect: in a background or a mask RGB(1,1,1) is transparent;
// in an element image pure black is transparent, and pure black of a mask shows what lies under
// the element. Faces are drawn smooth (they are opaque); images and masks are hard-edged, since a
// blended edge would be a ring of near-black pixels that are not transparent.
#pragma once

#include <map>
#include <string>

#include "art_canvas.h"

namespace XPL::ARTTOOL {

// Every sample bitmap by file name ("AttitudeFace.bmp", ...).
std::map<std::string, CArtCanvas> MakeGaugeArt();

}  // namespace XPL::ARTTOOL
