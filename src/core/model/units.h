// Phases are typed, shown and exported in degrees, and held in radians from acquisition to the
// end of a run.
#pragma once

namespace nodewise {

inline constexpr double DegreesToRadians = 0.017453292519943295;
inline constexpr double RadiansToDegrees = 57.29577951308232;

} // namespace nodewise
