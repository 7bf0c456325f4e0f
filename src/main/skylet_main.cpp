// The weather-sensor service Skylet.
#include "command/weather/skylet_profile.h"
#include "main/service_main.h"

int main() { return tool::ServiceMain(tool::skylet::kSkyletProfile); }
