#include "PositionText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace media {

namespace {

// The allowance keeps 0.3 s at 10 per second from coming out as 2.9999 and losing a step.
constexpr double Allowance = 1e-6;

QString clock(std::int64_t totalSeconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(totalSeconds / 3600)
        .arg(totalSeconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(totalSeconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString timeText(double seconds)
{
    const auto tenths = static_cast<std::int64_t>(std::floor(std::max(0.0, seconds) * 10 + Allowance));
    return clock(tenths / 10) + QLatin1Char('.') + QString::number(tenths % 10);
}

QString frameText(double seconds, std::optional<double> framesPerSecond)
{
    if (!framesPerSecond || *framesPerSecond <= 0)
        return QStringLiteral("-");
    return QString::number(
        static_cast<std::int64_t>(std::floor(std::max(0.0, seconds) * *framesPerSecond + Allowance)));
}

QString durationText(std::optional<double> seconds)
{
    if (!seconds || *seconds < 0)
        return QStringLiteral("-:--:--");
    return clock(static_cast<std::int64_t>(std::floor(*seconds + Allowance)));
}

} // namespace media
