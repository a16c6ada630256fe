#pragma once

// How the handheld's screens map onto a browser's viewport. The app shows the handheld's own
// layouts, in the handheld's pixels, scaled to the viewport:
//
// - a portrait viewport (a phone held upright, 320 to 430 CSS pixels wide) is a 480-wide
//   handheld screen as tall as the viewport's shape makes it (480 x 853 for 360 x 640): the
//   tall 480-wide layout, its tiles and columns, scaled to the viewport's width; the form's
//   dialog units are stretched upwards so the tall template fills the height, which makes
//   the controls taller on long phones (and never shorter than on the handheld);
// - any other viewport at least 560 CSS pixels high (a desktop or a tablet held sideways) is
//   the 480 x 800 handheld itself, at its own size or smaller to fit;
// - a short viewport that is not upright (a phone held sideways, a small window) is a
//   320 x 320 handheld: the square screen, scaled to the viewport's height.

#include "platform/host.h"
#include "screens/layout_rules.h"

namespace velomar {

struct PhoneScreen {
    ScreenSize screen;  // the emulated handheld screen every layout rule sees
    double scale = 1;   // CSS pixels per handheld pixel
    friend bool operator==(const PhoneScreen&, const PhoneScreen&) = default;
};

// A viewport of no size (a hidden frame) is taken as the smallest phone, 320 x 480.
PhoneScreen PhoneScreenFor(int viewportWidth, int viewportHeight);

// The square screen (320x320) scaled to fit the viewport, for as long as it runs.
PhoneScreen SquareScreenFor(int viewportWidth, int viewportHeight);

// The portrait form's dialog units on the emulated screen: the core's, with the vertical
// unit raised so that the form's tallest template fills the area between the strips.
DialogUnits PhoneFormUnits(ScreenSize screen);

// How much taller than the handheld's a form row is (1 when not stretched), for the tiles,
// which are sized in pixels rather than dialog units.
double PhoneFormStretch(ScreenSize screen);

}  // namespace velomar
