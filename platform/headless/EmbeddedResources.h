#pragma once

#include <cstddef>

// Resources compiled into a binary: the pictures and the version strings that a resource script
// names. Each generated table registers itself when the binary loads; lookups search them all.
namespace platform::headless {

struct EmbeddedPicture {
    int id;
    const unsigned char* data;  // the BMP file
    std::size_t size;
};

struct EmbeddedString {
    const char* key;
    const char* value;
};

struct EmbeddedResources {
    const EmbeddedPicture* pictures;
    int pictureCount;
    const EmbeddedString* versionStrings;
    int versionStringCount;
    unsigned short language;
    unsigned short codePage;
    EmbeddedResources* next;
};

void registerEmbeddedResources(EmbeddedResources* resources);
// The registered tables, most recently registered first; null when there are none.
const EmbeddedResources* embeddedResources();

}  // namespace platform::headless
