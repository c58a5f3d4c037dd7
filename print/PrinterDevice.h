// The default printer as the user profile names it: the "device" entry of
// the "windows" section, "name,driver,port".
#pragma once

#include <string>

struct PrinterDevice {
    std::string device;  // the printer's name, as the spooler knows it
    std::string driver;
    std::string port;
};

// The name is the text before the first comma; driver and port are the next
// two pieces separated by commas and blanks (further ports are ignored).
// false, leaving out untouched, when any of the three is missing.
bool ParseDeviceProfile(const char* text, PrinterDevice* out);
