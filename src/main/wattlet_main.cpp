// The KM50 power-monitor service Wattlet.
#include "command/km50/wattlet_profile.h"
#include "main/service_main.h"

int main() { return tool::ServiceMain(tool::wattlet::kWattletProfile); }
