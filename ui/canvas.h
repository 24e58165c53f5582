#pragma once
// Drawing, and the bitmaps the application draws itself. The application
// registers each bitmap id with its size and a routine that draws it on a
// Canvas; a dialog shows them in Picture controls or draws them from
// OnPaint with PaintContext::DrawBitmap.

#include "ui/types.h"

#include <functional>
#include <string>
#include <vector>

namespace ui {

class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void FillRect(Rect r, Color c) = 0;
    virtual void FrameRect(Rect r, Color c, int penWidth = 1) = 0;
    virtual void FillEllipse(Rect r, Color c) = 0;
    virtual void DrawEllipse(Rect r, Color c, int penWidth = 1) = 0;
    virtual void DrawLine(Point a, Point b, Color c, int penWidth = 1) = 0;
    virtual void FillPolygon(const std::vector<Point>& points, Color c) = 0;
    // Text centred in r, pixelHeight high (DejaVu Sans).
    virtual void DrawText(Rect r, const std::string& text, Color c, int pixelHeight,
                          bool bold = false) = 0;
};

using BitmapPainter = std::function<void(Canvas&)>;

// Registers (or replaces) bitmap id, width x height pixels, drawn by paint
// on a canvas of that size.
void RegisterBitmap(int id, int width, int height, BitmapPainter paint);
bool BitmapRegistered(int id);
Size BitmapSize(int id); // {0, 0} when not registered
// Draws bitmap id on canvas with its top left at (0, 0); false when unknown.
bool PaintBitmap(int id, Canvas& canvas);

// One bitmap drawn by OnPaint (what the headless back end records).
struct PaintedBitmap {
    int bitmap = 0;
    int x = 0;
    int y = 0;
    bool operator==(const PaintedBitmap&) const = default;
};

// What OnPaint draws with: registered bitmaps at client pixel positions.
class PaintContext {
public:
    virtual ~PaintContext() = default;
    virtual void DrawBitmap(int bitmapId, int x, int y) = 0;
    virtual Size ClientSize() const = 0;
};

} // namespace ui
