// Where an image button draws its image. Pure arithmetic, no Win32.
#pragma once

namespace ui {

struct ImagePlacement {
    int x = 0; // the image's top-left corner in the button's client area
    int y = 0;
    int clipLeft = 0; // drawing is clipped to this rectangle (right and bottom exclusive)
    int clipTop = 0;
    int clipRight = 0;
    int clipBottom = 0;
};

constexpr int kThemedImageMargin = 4;
constexpr int kClassicImageMargin = 2;

// Centred with integer division, one pixel right and down while pushed; the margin keeps the
// image off the button's frame, which is wider with visual styles.
inline ImagePlacement placeButtonImage(int clientWidth, int clientHeight, int imageWidth,
                                       int imageHeight, bool pushed, bool themed) {
    const int margin = themed ? kThemedImageMargin : kClassicImageMargin;
    const int shift = pushed ? 1 : 0;
    ImagePlacement placement;
    placement.x = (clientWidth - imageWidth) / 2 + shift;
    placement.y = (clientHeight - imageHeight) / 2 + shift;
    placement.clipLeft = margin;
    placement.clipTop = margin;
    placement.clipRight = clientWidth - margin > margin ? clientWidth - margin : margin;
    placement.clipBottom = clientHeight - margin > margin ? clientHeight - margin : margin;
    return placement;
}

} // namespace ui
