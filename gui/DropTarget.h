#pragma once

#include <cstdint>

#include "platform/DragDrop.h"

class Frame;

// Takes the text and files dropped on a frame's window and offers them to the frame's views:
// text as kind 1 (one pointer to the block, its size as the count), files as kind 0 (one name
// per file, shortcuts resolved to their targets). The window's drop registration holds it; it
// destroys itself with its last reference.
class DropTarget : public platform::DropHandler {
public:
    // No reference yet: registering the target takes the first.
    explicit DropTarget(Frame* frame);
    DropTarget(const DropTarget&) = delete;
    DropTarget& operator=(const DropTarget&) = delete;

    std::int32_t dropAddRef() override;
    std::int32_t dropRelease() override;
    // Accepts text and file lists; the effect is copy with Control held, else move.
    std::int32_t dragEnter(platform::DragData* data, std::uint32_t keyState) override;
    std::int32_t dragOver(std::uint32_t keyState) override;
    void dragLeave() override;
    // Delivers at the frame's current mouse position; text is preferred to files.
    void drop(platform::DragData* data, std::uint32_t keyState) override;

    // A path ending in ".lnk" (any case) is replaced by the short path of the shortcut's
    // target; false, leaving the path, for any other name or a shortcut that cannot be resolved.
    static bool resolveShortcut(char* path);

    // Each name delivered lives in a buffer of this many bytes.
    static constexpr int pathCapacity = 1024;

private:
    virtual ~DropTarget();
    void dropFiles(platform::DragMedium* medium);
    void dropText(platform::DragMedium* medium);

    std::int32_t refCount = 0;
    bool accept = false;
    Frame* frame;
};
