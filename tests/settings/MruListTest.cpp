// The recent-hosts list: its record, the Connect menu it builds, and its
// persistence in both layouts.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SettingsTestSupport.h"
#include "settings/MruList.h"
#include "settings/Settings.h"

namespace {

using settingstest::Layout;
using settingstest::MenuDouble;
using settingstest::ScopedConfigHome;

struct ListDeleter {
    void operator()(MruList* list) const { MruDestroy(list); }
};
using ListPtr = std::unique_ptr<MruList, ListDeleter>;

ListPtr NewList() { return ListPtr(MruCreateDefault()); }

std::string Host(int n) { return "host" + std::to_string(n) + ".example.com"; }

// Entries 0..count-1 through MruGetEntry.
std::vector<std::string> Entries(const MruList* list) {
    std::vector<std::string> entries;
    char out[256];
    for (unsigned i = 0; MruGetEntry(list, i, 0, out, sizeof out); ++i) entries.push_back(out);
    return entries;
}

// The Connect popup as the main menu holds it before the list is added.
MenuDouble ConnectMenu() {
    MenuDouble menu;
    menu.items = {{101, "&Connect..."}, {102, "&Disconnect"}, {103, "E&xit"}};
    return menu;
}

std::vector<std::string> Numbered(const std::vector<std::string>& hosts) {
    std::vector<std::string> texts;
    for (size_t i = 0; i < hosts.size(); ++i) texts.push_back("&" + std::to_string(i + 1) + " " + hosts[i]);
    return texts;
}

TEST(MruListRecord, DefaultShape) {
    ListPtr list = NewList();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->count, 0);
    EXPECT_EQ(list->shownMax, 6);
    EXPECT_EQ(list->capacity, 9);
    EXPECT_EQ(list->entrySize, 128);
    EXPECT_EQ(list->baseCommandId, 8000u);
    for (size_t i = 0; i < 9u * 128u; ++i) ASSERT_EQ(list->entries[i], '\0') << i;
    EXPECT_EQ(MruCreate(6, 9, 0, 8000), nullptr) << "entries need room for their terminator";
}

TEST(MruListRecord, SetEntryExtendsCountAndRefusesBeyondCapacity) {
    ListPtr list = NewList();
    EXPECT_EQ(MruSetEntry(list.get(), 2, "c"), 1);
    EXPECT_EQ(list->count, 3);
    EXPECT_EQ(MruSetEntry(list.get(), 0, "a"), 1);
    EXPECT_EQ(list->count, 3);
    EXPECT_EQ(MruSetEntry(list.get(), 8, "last"), 1);
    EXPECT_EQ(list->count, 9);
    EXPECT_EQ(MruSetEntry(list.get(), 9, "x"), 0);
    EXPECT_EQ(MruSetEntry(list.get(), 65535, "x"), 0);
    EXPECT_EQ(list->count, 9);

    ListPtr small(MruCreate(2, 3, 8, 100));
    EXPECT_EQ(MruSetEntry(small.get(), 3, "x"), 0) << "the limit is the list's own capacity";
    EXPECT_EQ(MruSetEntry(small.get(), 2, "abcdefghij"), 1);
    EXPECT_EQ(Entries(small.get()).back(), "abcdefg");
}

TEST(MruListRecord, GetEntryByIndexAndByCommandId) {
    ListPtr list = NewList();
    MruAddFront(list.get(), "older");
    MruAddFront(list.get(), "newest");
    struct {
        std::uint32_t id;
        int byCommandId;
        int result;
        const char* text;
    } const cases[] = {
        {0, 0, 1, "newest"}, {1, 0, 1, "older"},   {2, 0, 0, ""},      {8001, 1, 1, "newest"},
        {8002, 1, 1, "older"}, {8003, 1, 0, ""},   {8000, 1, 0, ""},   {7999, 1, 0, ""},
        {8001, 0, 0, ""},      {8001 + 65536, 1, 1, "newest"},
    };
    for (const auto& c : cases) {
        char out[32] = "untouched";
        EXPECT_EQ(MruGetEntry(list.get(), c.id, c.byCommandId, out, sizeof out), c.result) << c.id;
        if (c.result) {
            EXPECT_STREQ(out, c.text) << c.id;
        }
    }
    char small[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(MruGetEntry(list.get(), 8001, 1, small, 3), 1);
    EXPECT_STREQ(small, "ne");
    EXPECT_EQ(small[3], '#');
    EXPECT_EQ(MruGetEntry(list.get(), 8001, 1, small, 0), 0) << "no room even for the terminator";
}

TEST(MruListAddFront, TenthHostDropsTheOldestAndTheMenuStillShowsSix) {
    ListPtr list = NewList();
    for (int n = 1; n <= 10; ++n) ASSERT_EQ(MruAddFront(list.get(), Host(n).c_str()), 1);
    EXPECT_EQ(list->count, 9);
    std::vector<std::string> expected;
    for (int n = 10; n >= 2; --n) expected.push_back(Host(n));
    EXPECT_EQ(Entries(list.get()), expected);

    MenuDouble menu = ConnectMenu();
    MruBuildMenu(list.get(), &menu, 103);
    std::vector<std::string> texts = {"&Connect...", "&Disconnect"};
    for (const std::string& text : Numbered({expected.begin(), expected.begin() + 6})) texts.push_back(text);
    texts.push_back("-");
    texts.push_back("E&xit");
    EXPECT_EQ(menu.Texts(), texts);
    EXPECT_EQ(menu.Ids(), (std::vector<std::uint32_t>{101, 102, 8001, 8002, 8003, 8004, 8005, 8006, 8000, 103}));
}

TEST(MruListAddFront, CapitalsMoveAnEntryToTheTopInTheNewLetters) {
    ListPtr list = NewList();
    for (const char* host : {"e", "d", "unix.example.com", "b", "a"}) MruAddFront(list.get(), host);
    ASSERT_EQ(Entries(list.get()), (std::vector<std::string>{"a", "b", "unix.example.com", "d", "e"}));
    ASSERT_EQ(MruAddFront(list.get(), "UNIX.Example.COM"), 1);
    EXPECT_EQ(list->count, 5);
    EXPECT_EQ(Entries(list.get()), (std::vector<std::string>{"UNIX.Example.COM", "a", "b", "d", "e"}));
    ASSERT_EQ(MruAddFront(list.get(), "unix.example.com"), 1);
    EXPECT_EQ(Entries(list.get()), (std::vector<std::string>{"unix.example.com", "a", "b", "d", "e"}))
        << "a match at the top only takes the new letters";
}

TEST(MruListAddFront, MatchInAFullListKeepsEveryOtherEntry) {
    ListPtr list = NewList();
    for (int n = 1; n <= 9; ++n) MruAddFront(list.get(), Host(n).c_str());
    MruAddFront(list.get(), Host(1).c_str());
    std::vector<std::string> expected = {Host(1)};
    for (int n = 9; n >= 2; --n) expected.push_back(Host(n));
    EXPECT_EQ(Entries(list.get()), expected);
}

TEST(MruListAddFront, LongNameIsStoredAsItsFirst127Characters) {
    ListPtr list = NewList();
    std::string host(200, 'x');
    for (size_t i = 0; i < host.size(); ++i) host[i] = static_cast<char>('a' + i % 26);
    ASSERT_EQ(MruAddFront(list.get(), host.c_str()), 1);
    EXPECT_EQ(Entries(list.get()), std::vector<std::string>{host.substr(0, 127)});
    ASSERT_EQ(MruAddFront(list.get(), host.c_str()), 1);
    EXPECT_EQ(list->count, 1) << "the same long name again is the same entry";
    MruSetEntry(list.get(), 1, host.c_str());
    EXPECT_EQ(Entries(list.get())[1], host.substr(0, 127));
}

TEST(MruListAddFront, RefusesEmptyNames) {
    ListPtr list = NewList();
    MruAddFront(list.get(), "a");
    EXPECT_EQ(MruAddFront(list.get(), ""), 0);
    EXPECT_EQ(MruAddFront(list.get(), nullptr), 0);
    EXPECT_EQ(Entries(list.get()), std::vector<std::string>{"a"});
}

TEST(MruListMenu, EmptyListAddsNoEntriesAndNoSeparator) {
    ListPtr list = NewList();
    MenuDouble menu = ConnectMenu();
    MruBuildMenu(list.get(), &menu, 103);
    EXPECT_EQ(menu.Texts(), (std::vector<std::string>{"&Connect...", "&Disconnect", "E&xit"}));
    MruBuildMenu(list.get(), nullptr, 103);
}

TEST(MruListMenu, RebuildingReplacesTheEntries) {
    ListPtr list = NewList();
    MenuDouble menu = ConnectMenu();
    MruAddFront(list.get(), "one");
    MruBuildMenu(list.get(), &menu, 103);
    MruAddFront(list.get(), "two&three");
    MruBuildMenu(list.get(), &menu, 103);
    EXPECT_EQ(menu.Texts(),
              (std::vector<std::string>{"&Connect...", "&Disconnect", "&1 two&three", "&2 one", "-", "E&xit"}));

    ListPtr empty = NewList();
    MruBuildMenu(empty.get(), &menu, 103);
    EXPECT_EQ(menu.Texts(), (std::vector<std::string>{"&Connect...", "&Disconnect", "E&xit"}))
        << "an empty list removes what a fuller one added";
}

TEST(MruListMenu, FullLengthEntriesFitTheMenuText) {
    ListPtr list = NewList();
    for (int n = 0; n < 9; ++n) MruAddFront(list.get(), std::string(200, static_cast<char>('a' + n)).c_str());
    MenuDouble menu = ConnectMenu();
    MruBuildMenu(list.get(), &menu, 103);
    ASSERT_EQ(menu.items.size(), 3u + 6u + 1u);
    EXPECT_EQ(menu.items[2].text, "&1 " + std::string(127, 'i'));
    EXPECT_EQ(menu.items[7].text, "&6 " + std::string(127, 'd'));
}

class MruPersistence : public ::testing::TestWithParam<Layout> {
protected:
    // As the program saves and loads: by storage mode.
    static int Save(const MruList* list) {
        return GetStorageMode() == 0 ? MruSaveToIni(list, kMruSection) : MruSaveToRegistry(list, kMruRegistryKey);
    }
    static int Load(MruList* list) {
        return GetStorageMode() == 0 ? MruLoadFromIni(list, kMruSection) : MruLoadFromRegistry(list, kMruRegistryKey);
    }
};

TEST_P(MruPersistence, RoundTrip) {
    ScopedConfigHome home(GetParam());
    ListPtr saved = NewList();
    const std::vector<std::string> hosts = {"Mixed.Case", "back\\slash \"q\"", "  spaced  ", "caf\xE9",
                                            std::string(127, 'z')};
    for (auto it = hosts.rbegin(); it != hosts.rend(); ++it) MruAddFront(saved.get(), it->c_str());
    ASSERT_EQ(Save(saved.get()), 1);

    ListPtr loaded = NewList();
    ASSERT_EQ(Load(loaded.get()), 1);
    EXPECT_EQ(Entries(loaded.get()), hosts);
    EXPECT_EQ(loaded->count, hosts.size());
}

TEST_P(MruPersistence, SavingWritesEveryValueAndASmallerListClearsTheRest) {
    ScopedConfigHome home(GetParam());
    ListPtr full = NewList();
    for (int n = 1; n <= 9; ++n) MruAddFront(full.get(), Host(n).c_str());
    ASSERT_EQ(Save(full.get()), 1);
    ListPtr two = NewList();
    MruAddFront(two.get(), "b");
    MruAddFront(two.get(), "a");
    ASSERT_EQ(Save(two.get()), 1);

    const std::string file = settingstest::ReadFile(GetParam() == Layout::Profile ? home.IniPath() : home.RegistryPath());
    for (int n = 1; n <= 9; ++n) {
        const std::string name = "File" + std::to_string(n);
        EXPECT_NE(file.find(name), std::string::npos) << name;
    }
    EXPECT_EQ(file.find("host"), std::string::npos) << "older entries are overwritten";
    ListPtr loaded = NewList();
    ASSERT_EQ(Load(loaded.get()), 1);
    EXPECT_EQ(Entries(loaded.get()), (std::vector<std::string>{"a", "b"}));
}

TEST_P(MruPersistence, NothingStoredLoadsNothing) {
    ScopedConfigHome home(GetParam());
    ListPtr loaded = NewList();
    ASSERT_EQ(Load(loaded.get()), 1);
    EXPECT_EQ(loaded->count, 0);
    EXPECT_TRUE(settingstest::ListDirectory(home.Root()).empty());
}

INSTANTIATE_TEST_SUITE_P(MruLayouts, MruPersistence, ::testing::Values(Layout::Registry, Layout::Profile),
                         [](const ::testing::TestParamInfo<Layout>& info) {
                             return info.param == Layout::Profile ? std::string("Profile") : std::string("Registry");
                         });

TEST(MruPersistenceFiles, AGapEndsAProfileLoad) {
    ScopedConfigHome home(Layout::Profile);
    settingstest::WriteFile(home.IniPath(), "[MRU Text]\r\nFile1=first\r\nFile2=second\r\nFile3=\r\nFile4=hidden\r\n");
    ListPtr loaded = NewList();
    ASSERT_EQ(MruLoadFromIni(loaded.get(), kMruSection), 1);
    EXPECT_EQ(Entries(loaded.get()), (std::vector<std::string>{"first", "second"}));
}

TEST(MruPersistenceFiles, AGapEndsARegistryLoad) {
    ScopedConfigHome home(Layout::Registry);
    settingstest::WriteFile(home.RegistryPath(),
                            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvane Emulator\\MRU]\r\n"
                            "\"File1\"=\"first\"\r\n\"File3\"=\"hidden\"\r\n");
    ListPtr loaded = NewList();
    ASSERT_EQ(MruLoadFromRegistry(loaded.get(), kMruRegistryKey), 1);
    EXPECT_EQ(Entries(loaded.get()), std::vector<std::string>{"first"});
}

TEST(MruPersistenceFiles, OverLongStoredHostsLoadCut) {
    const std::string longHost(300, 'L');
    for (Layout layout : {Layout::Registry, Layout::Profile}) {
        ScopedConfigHome home(layout);
        if (layout == Layout::Profile)
            settingstest::WriteFile(home.IniPath(), "[MRU Text]\r\nFile1=" + longHost + "\r\nFile2=short\r\n");
        else
            settingstest::WriteFile(home.RegistryPath(),
                                    "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvane Emulator\\MRU]\r\n"
                                    "\"File1\"=\"" + longHost + "\"\r\n\"File2\"=\"short\"\r\n");
        ListPtr loaded = NewList();
        ASSERT_EQ(GetStorageMode() == 0 ? MruLoadFromIni(loaded.get(), kMruSection)
                                        : MruLoadFromRegistry(loaded.get(), kMruRegistryKey),
                  1);
        EXPECT_EQ(Entries(loaded.get()), (std::vector<std::string>{longHost.substr(0, 127), "short"}));
    }
}

TEST(MruPersistenceFiles, ProfileLayoutIsTheMruTextSection) {
    ScopedConfigHome home(Layout::Profile);
    ListPtr list = NewList();
    MruAddFront(list.get(), "beta");
    MruAddFront(list.get(), "alpha");
    ASSERT_EQ(MruSaveToIni(list.get(), kMruSection), 1);
    EXPECT_EQ(settingstest::ReadFile(home.IniPath()),
              "[MRU Text]\r\nFile1=alpha\r\nFile2=beta\r\nFile3=\r\nFile4=\r\nFile5=\r\nFile6=\r\nFile7=\r\n"
              "File8=\r\nFile9=\r\n");
}

}  // namespace
