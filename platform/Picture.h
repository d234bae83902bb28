#pragma once

#include "platform/Surface.h"

// Pictures (pixel images), memory surfaces to draw into them, and block copies between them.
// Copies are exact: every pixel arrives with the colour it left with.
namespace platform {

struct Picture;

// The picture resource with the low 16 bits of resourceId from the module's resources; null
// when the module has none of that id.
Picture* loadPicture(void* module, int resourceId);
// A colour picture matching the surface (the screen's format for null), all black.
Picture* createPicture(Surface* compatibleWith, int width, int height);
void deletePicture(Picture* picture);
// Width and height in pixels; false (and zeros) for null.
bool pictureSize(Picture* picture, int& width, int& height);

// A surface that draws into whatever picture is selected into it; compatible with the given
// surface (the screen for null). Starts with a 1 x 1 placeholder picture selected and the
// defaults of every new surface.
Surface* createMemorySurface(Surface* compatibleWith);
void deleteMemorySurface(Surface* surface);
// Returns the picture selected before. A picture is selected into one surface at a time.
Picture* selectPicture(Surface* memorySurface, Picture* picture);

// Copies the destination-sized piece of source that starts at (sourceX, sourceY) to the
// destination area.
void copyArea(Surface* destination, const PixelRect& area, Surface* source, int sourceX,
              int sourceY);
// The same from a picture that is selected nowhere.
void copyPicture(Surface* destination, const PixelRect& area, Picture* source, int sourceX,
                 int sourceY);

// A one-bit picture of image's size: set where image has exactly the key colour (those pixels
// will be see-through), clear everywhere else. The reference surface is the one the picture
// will be drawn on. Null when image is null.
Picture* createTransparencyMask(Surface* reference, Picture* image, NativeColor key);
// As copyPicture, but where mask is set the destination keeps its own pixel.
void copyPictureMasked(Surface* destination, const PixelRect& area, Picture* image, Picture* mask,
                       int sourceX, int sourceY);

}  // namespace platform
