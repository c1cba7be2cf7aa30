#pragma once

namespace forms {

// Window and control lengths are twips; the player always counts 15 to a pixel,
// whatever the display's real density.
inline constexpr float TwipsPerPixel = 15.0f;

struct TwipsSize {
    float width = 0;
    float height = 0;
    friend bool operator==(const TwipsSize&, const TwipsSize&) = default;
};

struct TwipsPoint {
    float x = 0;
    float y = 0;
    friend bool operator==(const TwipsPoint&, const TwipsPoint&) = default;
};

} // namespace forms
