#include "gui/artwork.h"

#include "gui/status_lamps.h"

namespace gui {
namespace {

using ui::Canvas;
using ui::Color;
using ui::Point;
using ui::Rect;

constexpr Color kGreen = Color::Rgb(0, 150, 40);
constexpr Color kDarkGreen = Color::Rgb(0, 100, 25);
constexpr Color kRed = Color::Rgb(210, 25, 25);
constexpr Color kDarkRed = Color::Rgb(140, 10, 10);
constexpr Color kGrey = Color::Rgb(160, 160, 160);
constexpr Color kDarkGrey = Color::Rgb(105, 105, 105);
constexpr Color kYellow = Color::Rgb(245, 205, 0);
constexpr Color kDarkYellow = Color::Rgb(170, 135, 0);
constexpr Color kBlue = Color::Rgb(20, 60, 190);
constexpr Color kWhite = Color::Rgb(255, 255, 255);
constexpr Color kPanel = Color::Rgb(236, 236, 236);
constexpr Color kNavy = Color::Rgb(22, 48, 100);

// A disc filling the lamp with a rim and a highlight at the upper left.
void Disc(Canvas& c, Color fill, Color rim) {
    c.FillEllipse(Rect{1, 1, 13, 13}, fill);
    c.DrawEllipse(Rect{1, 1, 13, 13}, rim);
    c.FillEllipse(Rect{4, 4, 4, 3}, Color::Rgb(255, 255, 255));
}

void Tick(Canvas& c, Color colour, int width) {
    c.DrawLine(Point{2, 8}, Point{6, 12}, colour, width);
    c.DrawLine(Point{6, 12}, Point{13, 3}, colour, width);
}

void Cross(Canvas& c, Color colour, Rect box, int width) {
    c.DrawLine(Point{box.x, box.y}, Point{box.Right(), box.Bottom()}, colour, width);
    c.DrawLine(Point{box.Right(), box.y}, Point{box.x, box.Bottom()}, colour, width);
}

void Lamp(int32_t id, Canvas& c) {
    switch (id) {
    case kLampPassed:
        Tick(c, kGreen, 3);
        break;
    case kLampFailed:
        Cross(c, kRed, Rect{3, 4, 9, 9}, 3);
        break;
    case kLampIdle:
        Disc(c, kGrey, kDarkGrey);
        break;
    case kLampReady:
        Disc(c, kGreen, kDarkGreen);
        break;
    case kLampStopped:
        c.FillEllipse(Rect{1, 1, 13, 13}, kRed);
        c.DrawEllipse(Rect{1, 1, 13, 13}, kDarkRed);
        c.FillRect(Rect{4, 6, 7, 3}, kWhite);
        break;
    case kLampPending:
        Disc(c, kYellow, kDarkYellow);
        break;
    case kLampPassedKept:
        Tick(c, kGreen, 2);
        Cross(c, kRed, Rect{9, 10, 4, 4}, 2);
        break;
    default:
        break;
    }
}

void Picture(int32_t id, Canvas& c) {
    c.FillRect(Rect{0, 0, 98, 31}, kPanel);
    c.FrameRect(Rect{0, 0, 98, 31}, kGrey);
    switch (id) {
    case kPictureActive:
        c.DrawText(Rect{0, 0, 98, 31}, "Active", kBlue, 22, true);
        break;
    case kPictureFail:
        c.DrawText(Rect{0, 0, 98, 31}, "Fail", kRed, 22, true);
        break;
    case kPicturePass:
        c.DrawText(Rect{0, 0, 98, 31}, "Pass", kGreen, 22, true);
        break;
    default: // blank
        break;
    }
}

// A chip with its pins and a flash across it: the programmer at work.
void Chip(Canvas& c, Rect r) {
    const int pin = r.width / 8 > 1 ? r.width / 8 : 1;
    for (int i = 0; i < 4; ++i) {
        const int y = r.y + r.height * (2 + 5 * i) / 22;
        c.FillRect(Rect{r.x - pin, y, pin, pin}, kGrey);
        c.FillRect(Rect{r.Right(), y, pin, pin}, kGrey);
    }
    c.FillRect(r, Color::Rgb(40, 40, 48));
    auto at = [&](int px, int py) {
        return Point{r.x + r.width * px / 100, r.y + r.height * py / 100};
    };
    c.FillPolygon({at(60, 10), at(28, 56), at(50, 56), at(40, 92), at(74, 42), at(52, 42)},
                  kYellow);
}

void Splash(Canvas& c) {
    c.FillRect(Rect{0, 0, kSplashWidth, kSplashHeight}, kNavy);
    c.FillRect(Rect{0, kSplashHeight - 36, kSplashWidth, 36}, Color::Rgb(14, 30, 66));
    Chip(c, Rect{40, 42, 64, 80});
    c.DrawText(Rect{124, 38, 220, 48}, "Quillbay", kWhite, 40, true);
    c.DrawText(Rect{124, 88, 220, 20}, "MSP430 Flash Programmer", Color::Rgb(200, 215, 240), 15);
    c.DrawText(Rect{124, 110, 220, 20}, "for the MSP-FET430UIF", Color::Rgb(200, 215, 240), 13);
    c.DrawText(Rect{0, kSplashHeight - 34, kSplashWidth, 32}, "Loading ...",
               Color::Rgb(150, 170, 210), 12);
}

void Icon(Canvas& c) {
    c.FillRect(Rect{0, 0, 32, 32}, kNavy);
    Chip(c, Rect{9, 6, 14, 20});
}

} // namespace

void ArtworkDraw(int32_t id, Canvas& canvas) {
    if (id == kSplashBitmap) {
        Splash(canvas);
    } else if (id == kIconBitmap) {
        Icon(canvas);
    } else if (BitmapWidth(id) == 15) {
        Lamp(id, canvas);
    } else if (BitmapWidth(id) == 98) {
        Picture(id, canvas);
    }
}

void ArtworkRegister() {
    constexpr int32_t ids[] = {kLampPassed,   kLampFailed,  kLampIdle,       kLampReady,
                               kLampStopped,  kLampPending, kLampPassedKept, kPictureActive,
                               kPictureBlank, kPictureFail, kPicturePass};
    for (int32_t id : ids) {
        ui::RegisterBitmap(id, BitmapWidth(id), BitmapHeight(id),
                           [id](Canvas& c) { ArtworkDraw(id, c); });
    }
    ui::RegisterBitmap(kSplashBitmap, kSplashWidth, kSplashHeight,
                       [](Canvas& c) { ArtworkDraw(kSplashBitmap, c); });
    ui::RegisterBitmap(kIconBitmap, 32, 32, [](Canvas& c) { ArtworkDraw(kIconBitmap, c); });
}

} // namespace gui
