#include "gui/DropTarget.h"

#include <cctype>
#include <cstring>
#include <new>

#include "gui/Frame.h"

DropTarget::DropTarget(Frame* frame) : frame(frame) {}

DropTarget::~DropTarget() = default;

std::int32_t DropTarget::dropAddRef() { return ++refCount; }

std::int32_t DropTarget::dropRelease() {
    const std::int32_t count = --refCount;
    if (count <= 0) delete this;
    return count;
}

std::int32_t DropTarget::dragEnter(platform::DragData* data, std::uint32_t keyState) {
    accept = false;
    if (data && (platform::dragDataOffers(data, platform::DragFormat::text) ||
                 platform::dragDataOffers(data, platform::DragFormat::files))) {
        accept = true;
        return dragOver(keyState);
    }
    return platform::dropEffectNone;
}

std::int32_t DropTarget::dragOver(std::uint32_t keyState) {
    if (!accept) return platform::dropEffectNone;
    return keyState & platform::dragKeyControl ? platform::dropEffectCopy
                                               : platform::dropEffectMove;
}

void DropTarget::dragLeave() {}

void DropTarget::drop(platform::DragData* data, std::uint32_t) {
    if (frame && data) {
        platform::DragMedium* medium = platform::takeDragMedium(data, platform::DragFormat::text);
        if (medium) {
            dropText(medium);
        } else if ((medium = platform::takeDragMedium(data, platform::DragFormat::files))) {
            dropFiles(medium);
        }
        platform::releaseDragMedium(medium);
    }
    dragLeave();
}

void DropTarget::dropFiles(platform::DragMedium* medium) {
    const int count = platform::dragFileCount(medium);
    if (count <= 0) return;
    char** names = new (std::nothrow) char*[count];
    if (!names) return;
    std::int32_t stored = 0;
    char name[pathCapacity];
    for (int i = 0; i < count; ++i) {
        if (!platform::dragFileName(medium, i, name, pathCapacity)) continue;
        resolveShortcut(name);
        char* copy = new (std::nothrow) char[pathCapacity];
        if (!copy) continue;
        std::memcpy(copy, name, pathCapacity);
        names[stored++] = copy;
    }
    Point where;
    frame->getMousePosition(where);
    frame->dropItems(reinterpret_cast<void**>(names), stored, 0, where);
    for (std::int32_t i = 0; i < stored; ++i) delete[] names[i];
    delete[] names;
}

void DropTarget::dropText(platform::DragMedium* medium) {
    std::size_t size = 0;
    const char* text = platform::lockDragText(medium, size);
    if (text && size) {
        Point where;
        frame->getMousePosition(where);
        void* items[1] = {const_cast<char*>(text)};
        frame->dropItems(items, static_cast<std::int32_t>(size), 1, where);
    }
    platform::unlockDragText(medium);
}

bool DropTarget::resolveShortcut(char* path) {
    if (!path) return false;
    const char* extension = std::strrchr(path, '.');
    if (!extension || std::strlen(extension) != 4) return false;
    const char lnk[] = ".lnk";
    for (int i = 0; i < 4; ++i) {
        if (std::tolower(static_cast<unsigned char>(extension[i])) != lnk[i]) return false;
    }
    char target[pathCapacity] = {};
    if (!platform::resolveShortcut(path, target, pathCapacity)) return false;
    std::memcpy(path, target, pathCapacity);
    return true;
}
