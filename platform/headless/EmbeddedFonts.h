#pragma once

#include <cstddef>

// The font files compiled into the library (generated into the build tree at configure time),
// because the plug-in reads no files at run time.
namespace platform::headless {

extern const unsigned char embeddedSansRegular[];
extern const std::size_t embeddedSansRegularSize;
extern const unsigned char embeddedSansBold[];
extern const std::size_t embeddedSansBoldSize;

}  // namespace platform::headless
