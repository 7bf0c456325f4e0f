#ifndef TOOL_COMMAND_WEATHER_SKYLET_PROFILE_H_
#define TOOL_COMMAND_WEATHER_SKYLET_PROFILE_H_

#include "server/product_profile.h"

namespace tool::skylet {

// The weather-sensor service Skylet: its names, its commands, the sensor's
// line-setting tables and how its replies are judged. Constant data.
extern const ProductProfile kSkyletProfile;

}  // namespace tool::skylet

#endif  // TOOL_COMMAND_WEATHER_SKYLET_PROFILE_H_
