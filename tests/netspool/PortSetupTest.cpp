// Which printer each port prints on: the stored values, the setup dialog's
// lists and what OK stores.
#include <gtest/gtest.h>

#include "netspool/PortSetup.h"
#include "settings/SettingsTestSupport.h"

using namespace netspool;

namespace {

using List = std::vector<std::string>;

TEST(PortSetupTest, ListsOfferTheStoredValueThenTheInstalledPrintersThenNone) {
    struct Case {
        const char* name;
        std::string stored;
        List installed;
        List expected;
    } cases[] = {
        {"port without printer", "None", {"Laser", "Dot"}, {"None", "Laser", "Dot"}},
        {"stored printer, installed under another case", "laser", {"Laser", "Dot"}, {"laser", "Dot", "None"}},
        {"stored printer no longer installed", "Old", {"Laser"}, {"Old", "Laser", "None"}},
        {"nothing installed, no printer", "None", {}, {"None"}},
        {"nothing installed, a printer stored", "Old", {}, {"Old", "None"}},
        {"nothing stored yet", "", {"Laser"}, {"None", "Laser"}},
        {"an installed printer called none", "Laser", {"NONE", "Laser"}, {"Laser", "NONE"}},
    };
    for (const Case& c : cases) {
        PrinterPort port;
        AssignPrinter(port, c.stored);
        EXPECT_EQ(BuildPortList(FirstListItem(c.stored), c.installed, port.printerSet == 1), c.expected) << c.name;
    }
}

TEST(PortSetupTest, DeviceKeyListsAreSplitAndLongNamesCut) {
    const std::string longName(150, 'P');
    std::string buffer = "Laser" + std::string(1, '\0') + longName + std::string(1, '\0') + "Dot" + std::string(2, '\0');
    EXPECT_EQ(SplitKeyList(buffer.data(), buffer.size()), (List{"Laser", std::string(99, 'P'), "Dot"}));
    // A list cut by its buffer: the last name ends at the length returned.
    EXPECT_EQ(SplitKeyList("AB\0CD", 5), (List{"AB", "CD"}));
    EXPECT_TRUE(SplitKeyList("", 0).empty());
    EXPECT_TRUE(SplitKeyList(nullptr, 10).empty());
}

TEST(PortSetupTest, AssignmentsAreStoredAndReadBackInTheRegistryLayout) {
    settingstest::ScopedConfigHome home(settingstest::Layout::Profile);  // the program ignores the terminal's mode
    std::array<PrinterPort, kPortCount> ports;
    LoadPortPrinters(ports);
    for (const PrinterPort& port : ports) {
        EXPECT_EQ(port.printerSet, 0);
        EXPECT_STREQ(port.printerName, "None");
    }

    const std::string longName(120, 'L');
    ApplyPrinterSetup(ports, {"Laser", "", longName, "None"});
    EXPECT_EQ(ports[0].printerSet, 1);
    EXPECT_STREQ(ports[0].printerName, "Laser");
    EXPECT_EQ(ports[1].printerSet, 0);
    EXPECT_EQ(std::string(ports[2].printerName), std::string(99, 'L'));
    const std::string registry = settingstest::ReadFile(home.RegistryPath());
    EXPECT_NE(registry.find("[HKEY_CURRENT_USER\\SOFTWARE\\NetSpool\\Printers]"), std::string::npos) << registry;
    EXPECT_NE(registry.find("\"Port10\"=\"Laser\""), std::string::npos) << registry;
    EXPECT_NE(registry.find("\"Port11\"=\"None\""), std::string::npos) << registry;
    EXPECT_NE(registry.find("\"Port13\"=\"None\""), std::string::npos) << registry;
    EXPECT_FALSE(settingstest::FileExists(home.IniPath()));

    std::array<PrinterPort, kPortCount> reloaded;
    LoadPortPrinters(reloaded);
    EXPECT_STREQ(reloaded[0].printerName, "Laser");
    EXPECT_EQ(reloaded[1].printerSet, 0);
    EXPECT_EQ(std::string(reloaded[2].printerName), std::string(99, 'L'));

    // A choice equal to the current name except for case is a change; "None"
    // clears the port at once.
    ApplyPrinterSetup(reloaded, {"LASER", "None", reloaded[2].printerName, "Dot"});
    EXPECT_STREQ(reloaded[0].printerName, "LASER");
    EXPECT_EQ(reloaded[3].printerSet, 1);
    EXPECT_EQ(ReadPortSetting(0), "LASER");
    EXPECT_EQ(ReadPortSetting(3), "Dot");
}

}  // namespace
