#pragma once

#include <QString>

#include <optional>

namespace media {

// A position as the display shows it in time units: hours:minutes:seconds and
// tenths ("0:01:05.3"), tenths rounded down.
QString timeText(double seconds);

// A position as a frame number: position times frame rate, rounded down;
// "-" when the media has no frame rate (sound only).
QString frameText(double seconds, std::optional<double> framesPerSecond);

// A length for the transport bar: hours:minutes:seconds ("0:02:10"); "-:--:--" when unknown.
QString durationText(std::optional<double> seconds);

} // namespace media
