#include <algorithm>
#include <cstring>

#include "platform/DragDrop.h"
#include "platform/headless/HeadlessObjects.h"
#include "platform/headless/HeadlessScript.h"

// Drags happen only when the script asks; the dragged data lives for the one call.
namespace platform {

struct DragData {
    headless::DragContents contents;
};

struct DragMedium {
    DragData* data;
    DragFormat format;
    std::string block;  // the text's memory, padded to its block size
};

namespace headless {

namespace {

DropHandler* handlerOf(Window* window) {
    auto found = world().dropTargets.find(window);
    return found == world().dropTargets.end() ? nullptr : found->second;
}

}  // namespace

bool hasDropTarget(Window* window) { return handlerOf(window) != nullptr; }

std::int32_t dragInto(Window* window, const DragContents& contents, std::uint32_t keyState) {
    DropHandler* handler = handlerOf(window);
    if (!handler) return dropEffectNone;
    DragData data{contents};
    handler->dropAddRef();
    const std::int32_t effect = handler->dragEnter(&data, keyState);
    handler->dragLeave();
    handler->dropRelease();
    return effect;
}

void dropOnto(Window* window, const DragContents& contents, std::uint32_t keyState) {
    DropHandler* handler = handlerOf(window);
    if (!handler) return;
    DragData data{contents};
    handler->dropAddRef();
    handler->dragEnter(&data, keyState);
    handler->drop(&data, keyState);
    handler->dropRelease();
}

void addShortcut(const char* link, const char* target) { world().shortcuts[link] = target; }
int shortcutResolutionCount() { return world().shortcutResolutions; }
int liveDragMediumCount() { return world().liveDragMedia; }

}  // namespace headless

bool registerDropTarget(Window* window, DropHandler* handler) {
    if (!window || !handler || headless::handlerOf(window)) return false;
    handler->dropAddRef();
    headless::world().dropTargets[window] = handler;
    return true;
}

void revokeDropTarget(Window* window) {
    DropHandler* handler = headless::handlerOf(window);
    if (!handler) return;
    headless::world().dropTargets.erase(window);
    handler->dropRelease();
}

bool dragDataOffers(DragData* data, DragFormat format) {
    if (!data) return false;
    return format == DragFormat::text ? data->contents.hasText : data->contents.hasFiles;
}

DragMedium* takeDragMedium(DragData* data, DragFormat format) {
    if (!dragDataOffers(data, format)) return nullptr;
    auto* medium = new DragMedium{data, format, {}};
    if (format == DragFormat::text) {
        const headless::DragContents& c = data->contents;
        medium->block = c.text;
        medium->block.resize(std::max(c.textBlockSize, c.text.size() + 1), '\0');
    }
    ++headless::world().liveDragMedia;
    return medium;
}

void releaseDragMedium(DragMedium* medium) {
    if (!medium) return;
    --headless::world().liveDragMedia;
    delete medium;
}

int dragFileCount(DragMedium* medium) {
    if (!medium || medium->format != DragFormat::files) return 0;
    return static_cast<int>(medium->data->contents.files.size());
}

bool dragFileName(DragMedium* medium, int index, char* name, int capacity) {
    if (index < 0 || index >= dragFileCount(medium) || !name || capacity <= 0) return false;
    const headless::DragContents& c = medium->data->contents;
    if (std::find(c.unreadable.begin(), c.unreadable.end(), index) != c.unreadable.end()) {
        return false;
    }
    const std::string& file = c.files[static_cast<std::size_t>(index)];
    const std::size_t length = std::min(file.size(), static_cast<std::size_t>(capacity - 1));
    std::memcpy(name, file.data(), length);
    name[length] = '\0';
    return true;
}

const char* lockDragText(DragMedium* medium, std::size_t& size) {
    size = 0;
    if (!medium || medium->format != DragFormat::text) return nullptr;
    size = medium->block.size();
    return medium->block.data();
}

void unlockDragText(DragMedium*) {}

bool resolveShortcut(const char* link, char* target, int capacity) {
    ++headless::world().shortcutResolutions;
    if (!link || !target || capacity <= 0) return false;
    auto found = headless::world().shortcuts.find(link);
    if (found == headless::world().shortcuts.end()) return false;
    const std::size_t length =
        std::min(found->second.size(), static_cast<std::size_t>(capacity - 1));
    std::memcpy(target, found->second.data(), length);
    target[length] = '\0';
    return true;
}

}  // namespace platform
