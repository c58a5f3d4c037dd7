// Which printer each port prints on: kept per user as the string values
// "Port10" .. "Port13" under SOFTWARE\NetSpool\Printers (registry layout of
// the settings store on every platform), and the rules of the setup dialog
// that offers and changes them.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "netspool/PrinterPort.h"

namespace netspool {

inline constexpr char kSettingsApplication[] = "NetSpool";
inline constexpr char kSettingsSection[] = "Printers";
// The profile section listing the installed printers, read into a buffer
// of this size.
inline constexpr std::size_t kDeviceListSize = 1000;

// "Port10" .. "Port13".
std::string PortValueName(int index);

// The stored text of a port's value (empty when missing), cut to 99
// characters.
std::string ReadPortSetting(int index);
void WritePortSetting(int index, const char* printerName);

// Sets a port's assignment from a stored or chosen text: "None" (exactly,
// case counts) and the empty text (nothing stored yet) mean no printer;
// anything else is a printer name, cut to 99 characters.
void AssignPrinter(PrinterPort& port, const std::string& text);
// The text a port's list shows first for a stored text: the stored printer,
// or "None" when nothing is stored.
std::string FirstListItem(const std::string& storedText);

// Reads the four assignments from the settings.
void LoadPortPrinters(std::array<PrinterPort, kPortCount>& ports);

// The names in a profile key list as GetProfileString returns it (names
// ended by NUL, the list by a second NUL; length bytes returned, never
// more than the buffer), each cut to 99 characters.
std::vector<std::string> SplitKeyList(const char* buffer, std::size_t length);

// Case-insensitive whole-text comparison, as a combo box finds an item.
bool SameItemText(const std::string& a, const std::string& b);

// One port's drop-down list, in order: the stored text first, then each
// installed printer not already listed, then "None" when the port has a
// printer and "None" is not listed yet. No printer installed counts as the
// single name "None".
std::vector<std::string> BuildPortList(const std::string& firstItem, const std::vector<std::string>& installed,
                                       bool printerSet);

// OK in the setup dialog: each port takes the text chosen in its list (the
// empty text, as with no selection, meaning "None") when it differs from
// its printer name, case counting; then all four names are stored.
void ApplyPrinterSetup(std::array<PrinterPort, kPortCount>& ports, const std::array<std::string, kPortCount>& chosen);

}  // namespace netspool
