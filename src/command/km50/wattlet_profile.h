#ifndef TOOL_COMMAND_KM50_WATTLET_PROFILE_H_
#define TOOL_COMMAND_KM50_WATTLET_PROFILE_H_

#include "server/product_profile.h"

namespace tool::wattlet {

// The KM50 power-monitor service Wattlet: its names, its commands, the
// KM50's line-setting tables and how its replies are judged. Constant data.
extern const ProductProfile kWattletProfile;

}  // namespace tool::wattlet

#endif  // TOOL_COMMAND_KM50_WATTLET_PROFILE_H_
