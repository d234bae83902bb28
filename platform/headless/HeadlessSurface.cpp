#include <algorithm>
#include <cstdlib>

#include "platform/headless/HeadlessObjects.h"
#include "platform/headless/HeadlessScript.h"

namespace platform {

namespace headless {

namespace {
int liveObjects = 0;
}  // namespace

// A cosmetic dotted pen paints three pixels and skips three.
constexpr int dotLength = 3;

void countCreated() { ++liveObjects; }
void countDeleted() { --liveObjects; }
int liveObjectCount() { return liveObjects; }

Pen* stockBlackPen() {
    static Pen pen{PenStyle::solid, 1, 0, true, true};
    return &pen;
}

Brush* stockWhiteBrush() {
    static Brush brush{makeNativeColor(255, 255, 255), true};
    return &brush;
}

Picture* stockPlaceholderPicture() {
    static Picture picture = [] {
        Picture p;
        p.width = 1;
        p.height = 1;
        p.monochrome = true;
        p.pixels.assign(1, 0);
        p.stock = true;
        return p;
    }();
    return &picture;
}

Picture* screenPicture() {
    static Picture picture = [] {
        Picture p;
        p.width = screenWidth;
        p.height = screenHeight;
        p.pixels.assign(static_cast<size_t>(p.width) * p.height, 0);
        p.stock = true;
        return p;
    }();
    return &picture;
}

Surface* newSurface(Picture* target, Window* window, bool memory) {
    Surface* surface = new Surface;
    surface->target = target;
    surface->window = window;
    surface->memory = memory;
    surface->pen = stockBlackPen();
    surface->brush = stockWhiteBrush();
    surface->font = stockSystemFont();
    countCreated();
    return surface;
}

void destroySurface(Surface* surface) {
    if (!surface) return;
    if (surface->target && surface->target->selectedInto == surface) {
        surface->target->selectedInto = nullptr;
    }
    delete surface;
    countDeleted();
}

void plot(Surface* surface, int x, int y, NativeColor color) {
    Picture* target = surface->target;
    if (!target || x < 0 || y < 0 || x >= target->width || y >= target->height) return;
    if (target->monochrome) color = color == makeNativeColor(255, 255, 255) ? color : 0;
    target->row(y)[x] = color;
}

}  // namespace headless

using headless::countCreated;
using headless::countDeleted;

Pen* createPen(PenStyle style, int width, NativeColor color) {
    Pen* pen = new Pen;
    pen->width = std::max(width, 1);
    pen->style = pen->width == 1 ? style : PenStyle::solid;
    pen->color = color & 0xFFFFFF;
    countCreated();
    return pen;
}

Pen* nullPen() {
    static Pen pen{PenStyle::solid, 1, 0, false, true};
    return &pen;
}

Brush* createSolidBrush(NativeColor color) {
    Brush* brush = new Brush;
    brush->color = color & 0xFFFFFF;
    countCreated();
    return brush;
}

void deletePen(Pen* pen) {
    if (!pen || pen->stock) return;
    delete pen;
    countDeleted();
}

void deleteBrush(Brush* brush) {
    if (!brush || brush->stock) return;
    delete brush;
    countDeleted();
}

Pen* selectPen(Surface* surface, Pen* pen) {
    if (!surface || !pen) return nullptr;
    Pen* previous = surface->pen;
    surface->pen = pen;
    return previous;
}

Brush* selectBrush(Surface* surface, Brush* brush) {
    if (!surface || !brush) return nullptr;
    Brush* previous = surface->brush;
    surface->brush = brush;
    return previous;
}

Font* selectFont(Surface* surface, Font* font) {
    if (!surface || !font) return nullptr;
    Font* previous = surface->font;
    surface->font = font;
    return previous;
}

Pen* selectedPen(Surface* surface) { return surface ? surface->pen : nullptr; }
Brush* selectedBrush(Surface* surface) { return surface ? surface->brush : nullptr; }
Font* selectedFont(Surface* surface) { return surface ? surface->font : nullptr; }

void setTextColor(Surface* surface, NativeColor color) {
    if (surface) surface->textColor = color & 0xFFFFFF;
}

void setBackgroundColor(Surface* surface, NativeColor color) {
    if (surface) surface->backgroundColor = color & 0xFFFFFF;
}

void setOpaqueBackground(Surface* surface, bool opaque) {
    if (surface) surface->opaque = opaque;
}

void moveTo(Surface* surface, int x, int y) {
    if (!surface) return;
    surface->x = x;
    surface->y = y;
}

void lineTo(Surface* surface, int x, int y) {
    if (!surface) return;
    const Pen* pen = surface->pen;
    int px = surface->x;
    int py = surface->y;
    surface->x = x;
    surface->y = y;
    if (!pen || !pen->paints) return;

    // Bresenham along the major axis, stopping one pixel short of the end point.
    const int dx = std::abs(x - px);
    const int dy = std::abs(y - py);
    const int sx = x > px ? 1 : -1;
    const int sy = y > py ? 1 : -1;
    const int steps = std::max(dx, dy);
    int error = dx > dy ? dx / 2 : dy / 2;
    const int half = pen->width / 2;
    for (int i = 0; i < steps; ++i) {
        const bool on = pen->style == PenStyle::solid || (i / headless::dotLength) % 2 == 0;
        if (on || surface->opaque) {
            const NativeColor color = on ? pen->color : surface->backgroundColor;
            for (int oy = -half; oy < pen->width - half; ++oy) {
                for (int ox = -half; ox < pen->width - half; ++ox) {
                    headless::plot(surface, px + ox, py + oy, color);
                }
            }
        }
        if (dx > dy) {
            px += sx;
            error -= dy;
            if (error < 0) {
                py += sy;
                error += dx;
            }
        } else {
            py += sy;
            error -= dx;
            if (error < 0) {
                px += sx;
                error += dy;
            }
        }
    }
}

void fillRect(Surface* surface, const PixelRect& area) {
    if (!surface || !surface->target || !surface->brush) return;
    Picture* target = surface->target;
    const int left = std::max(area.left, 0);
    const int top = std::max(area.top, 0);
    const int right = std::min(area.right, target->width);
    const int bottom = std::min(area.bottom, target->height);
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) headless::plot(surface, x, y, surface->brush->color);
    }
}

NativeColor pixelAt(Surface* surface, int x, int y) {
    if (!surface || !surface->target) return invalidPixel;
    Picture* target = surface->target;
    if (x < 0 || y < 0 || x >= target->width || y >= target->height) return invalidPixel;
    return target->row(y)[x];
}

}  // namespace platform
