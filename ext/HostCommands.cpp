#include "ext/HostCommands.h"

#include <cstring>

#include "settings/Settings.h"

namespace hostcmd {

bool AllowedBySettings() {
    char value[8];
    ReadSetting(kKey, "1", kSection, kApplicationName, kProfileBase, value, sizeof value);
    return std::strcmp(value, "0") != 0;
}

}  // namespace hostcmd
