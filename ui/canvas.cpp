#include "ui/canvas.h"

#include "ui/globals.h"

namespace ui {

void RegisterBitmap(int id, int width, int height, BitmapPainter paint) {
    auto& g = detail::Globals();
    g.bitmaps[id] = detail::BitmapEntry{width, height, std::move(paint), ++g.bitmapGeneration};
}

bool BitmapRegistered(int id) {
    return detail::Globals().bitmaps.count(id) != 0;
}

Size BitmapSize(int id) {
    const auto& bitmaps = detail::Globals().bitmaps;
    auto it = bitmaps.find(id);
    return it == bitmaps.end() ? Size{} : Size{it->second.width, it->second.height};
}

bool PaintBitmap(int id, Canvas& canvas) {
    const auto& bitmaps = detail::Globals().bitmaps;
    auto it = bitmaps.find(id);
    if (it == bitmaps.end() || !it->second.paint) {
        return false;
    }
    it->second.paint(canvas);
    return true;
}

} // namespace ui
