// The studio's page: plain HTML with its style and script in it, built into the program from
// tools/skydeck_studio/page when it is compiled.
#pragma once

#include <string_view>

namespace XPL::STUDIO {

std::string_view StudioPage();

}  // namespace XPL::STUDIO
