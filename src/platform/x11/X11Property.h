#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace velmora {

// The 32-bit items of a window property of the given type (pixmaps, atoms);
// empty when the window has no such property.
std::vector<unsigned long> windowProperty(Display* display, Window window, Atom property, Atom type,
                                          long maxItems = 16);

// An 8-bit property (a string of any type) as bytes; "" when there is none.
std::string textProperty(Display* display, Window window, Atom property);

} // namespace velmora
