#pragma once

#include "updater/controls/logic/paint_ops.h"

namespace xpcontrols {

// Drawn states of the push button.
enum ButtonState : int {
    StateDisabled = 0,
    StateNormal = 1,
    StateFocused = 2, // has the focus or is the default button: blue ring
    StateHot = 3, // mouse over: orange ring
    StatePressed = 4,
};

// Colours of one drawn state; the ring entries are unused by the flat states 0 and 4, the flat
// face by the ringed states 1 to 3.
struct ButtonColours
{
    Rgb border;
    Rgb lineY1;
    Rgb lineY2;
    Rgb lineBottom3; // the line at y = height - 3
    Rgb lineBottom2; // the line at y = height - 2
    Rgb ringTop;
    Rgb ringBottom;
    Rgb flatFace;
    Rgb cornerA;
    Rgb cornerB;
    Rgb cornerC;
};

// The colour table; a state outside 0..4 reads as the normal state.
const ButtonColours& buttonColours(int state);

inline constexpr Rgb kFaceTop = fromColorRef(0xFBFCFC);
inline constexpr Rgb kFaceBottom = fromColorRef(0xE6EBEC);
inline constexpr Rgb kDisabledCaption = fromColorRef(0x92A1A1);

// The caption is centred in this rectangle, and the focus rectangle outlines it.
Rect captionRect(int width, int height);

// Every drawing step of the face of `state` at width x height pixels. `focusDots` adds the dotted
// focus rectangle (the caller decides: focused, FocusRect on and a ringed or pressed state).
PaintOps buttonFaceOps(int state, int width, int height, bool focusDots);

// The window shape: a rounded rectangle whose corner ellipses leave out the outermost corner pixel.
bool isInsideButtonShape(int x, int y, int width, int height);

// Smallest size the button keeps, in pixels: 100 twips of the container rounded up.
inline constexpr int kMinimumSizeTwips = 100;
int minimumButtonPixels();

} // namespace xpcontrols
