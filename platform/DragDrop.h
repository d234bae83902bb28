#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Window.h"

// Drops of text and files from other applications onto a window. Needs initializeOle on the
// calling thread (platform/Ole.h).
namespace platform {

// What is being dragged, and one format of it taken out for reading.
struct DragData;
struct DragMedium;

enum class DragFormat { text, files };

// Drag effects a handler answers.
constexpr std::int32_t dropEffectNone = 0;
constexpr std::int32_t dropEffectCopy = 1;
constexpr std::int32_t dropEffectMove = 2;
// The Control key in a drag's key state.
constexpr std::uint32_t dragKeyControl = 8;

// Hears the drags over one window. The registration holds a reference to it.
class DropHandler {
public:
    virtual std::int32_t dropAddRef() = 0;
    // The last reference destroys the handler.
    virtual std::int32_t dropRelease() = 0;
    // Answer the effect the drag would have.
    virtual std::int32_t dragEnter(DragData* data, std::uint32_t keyState) = 0;
    virtual std::int32_t dragOver(std::uint32_t keyState) = 0;
    virtual void dragLeave() = 0;
    virtual void drop(DragData* data, std::uint32_t keyState) = 0;

protected:
    ~DropHandler() = default;
};

// Takes a reference to handler for as long as the window is registered; false on failure.
bool registerDropTarget(Window* window, DropHandler* handler);
// Drops the registration's reference.
void revokeDropTarget(Window* window);

bool dragDataOffers(DragData* data, DragFormat format);
// The data in that format, or null; each one is given back with releaseDragMedium.
DragMedium* takeDragMedium(DragData* data, DragFormat format);
void releaseDragMedium(DragMedium* medium);
// A file list: the number of names (0 on failure), and name n cut to capacity bytes (false
// when it cannot be read).
int dragFileCount(DragMedium* medium);
bool dragFileName(DragMedium* medium, int index, char* name, int capacity);
// A text block: its start and the size of its memory, which may exceed the text. Valid until
// unlockDragText.
const char* lockDragText(DragMedium* medium, std::size_t& size);
void unlockDragText(DragMedium* medium);

// Writes into target (capacity bytes) the short form of the path that the shortcut file at
// link points to, searching at most half a second for a moved target and showing nothing.
// False when the link cannot be read or resolved; target is then left as it was.
bool resolveShortcut(const char* link, char* target, int capacity);

}  // namespace platform
