// ovterm's portable pieces: the prompt's commands, the key map, how a cell is
// shown, the character-cell window port and the pseudo-terminal transport
// with a real child.
#include <gtest/gtest.h>

#include <poll.h>
#include <string>
#include <vector>

#include "emu/CRxHandler.h"
#include "emu/KeyCodes.h"
#include "net/posix/CPtyComm.h"
#include "tools/ovterm/CellLook.h"
#include "tools/ovterm/Commands.h"
#include "tools/ovterm/CursesInclude.h"
#include "tools/ovterm/CursesPalette.h"
#include "tools/ovterm/KeyMap.h"
#include "view/posix/TextWindowPort.h"

namespace {

using ovterm::CommandKind;

TEST(OvtermCommands, ParsesEachCommandAndRejectsWrongArguments) {
    struct Case {
        const char* line;
        CommandKind kind;
        const char* argument;
    };
    const Case cases[] = {
        {"", CommandKind::kNone, ""},
        {"   ", CommandKind::kNone, ""},
        {"quit", CommandKind::kQuit, ""},
        {"  disconnect ", CommandKind::kDisconnect, ""},
        {"connect host.example:2323", CommandKind::kConnect, "host.example:2323"},
        {"local on", CommandKind::kLocal, "on"},
        {"local off", CommandKind::kLocal, "off"},
        {"log /tmp/x.log", CommandKind::kLog, "/tmp/x.log"},
        {"log off", CommandKind::kLog, "off"},
        {"break", CommandKind::kBreak, ""},
        {"keys", CommandKind::kKeys, ""},
        {"recent", CommandKind::kRecent, ""},
        {"connect #3", CommandKind::kConnect, "#3"},
        {"help", CommandKind::kHelp, ""},
        {"connect", CommandKind::kBad, nullptr},
        {"local maybe", CommandKind::kBad, nullptr},
        {"local", CommandKind::kBad, nullptr},
        {"log", CommandKind::kBad, nullptr},
        {"quit now", CommandKind::kBad, nullptr},
        {"connect a b", CommandKind::kBad, nullptr},
        {"frobnicate", CommandKind::kBad, nullptr},
    };
    for (const Case& c : cases) {
        const ovterm::Command command = ovterm::ParseCommand(c.line);
        EXPECT_EQ(command.kind, c.kind) << c.line;
        if (c.argument) EXPECT_EQ(command.argument, c.argument) << c.line;
        else EXPECT_FALSE(command.argument.empty()) << "a reason for: " << c.line;
    }
}

TEST(OvtermKeys, TerminalKeysBecomeInternalCodes) {
    using ovterm::KeyAction;
    struct Case {
        int key;
        KeyAction action;
        unsigned code;
    };
    const Case cases[] = {
        {KEY_F(1), KeyAction::kSendKey, keys::kF1},
        {KEY_F(12), KeyAction::kSendKey, keys::kF1 + 11},
        {KEY_F(13), KeyAction::kSendKey, keys::kF1 | keys::kShift},
        {KEY_F(24), KeyAction::kSendKey, (keys::kF1 + 11) | keys::kShift},
        {KEY_UP, KeyAction::kSendKey, keys::kUp},
        {KEY_DOWN, KeyAction::kSendKey, keys::kDown},
        {KEY_LEFT, KeyAction::kSendKey, keys::kLeft},
        {KEY_RIGHT, KeyAction::kSendKey, keys::kRight},
        {KEY_SR, KeyAction::kSendKey, keys::kUp | keys::kShift},
        {KEY_HOME, KeyAction::kSendKey, keys::kHome},
        {KEY_END, KeyAction::kSendKey, keys::kEnd},
        {KEY_PPAGE, KeyAction::kSendKey, keys::kPageUp},
        {KEY_NPAGE, KeyAction::kSendKey, keys::kPageDown},
        {KEY_IC, KeyAction::kSendKey, keys::kInsert},
        {KEY_DC, KeyAction::kSendKey, keys::kDelete},
        {KEY_SPREVIOUS, KeyAction::kScrollUp, 0},
        {KEY_SNEXT, KeyAction::kScrollDown, 0},
        {KEY_ENTER, KeyAction::kType, '\r'},
        {'\r', KeyAction::kType, '\r'},
        {'\n', KeyAction::kType, '\r'},
        {KEY_BACKSPACE, KeyAction::kType, 0x08},
        {0x7F, KeyAction::kType, 0x08},
        {'a', KeyAction::kType, 'a'},
        {0x1B, KeyAction::kType, 0x1B},
        {0xE9, KeyAction::kType, 0xE9},
        {KEY_MOUSE, KeyAction::kNone, 0},
    };
    for (const Case& c : cases) {
        const ovterm::KeyResult result = ovterm::MapKey(c.key);
        EXPECT_EQ(result.action, c.action) << "key " << c.key;
        EXPECT_EQ(result.code, c.code) << "key " << c.key;
    }
}

TEST(OvtermCellLook, AttributesAndGlyphs) {
    ovterm::CellLook plain = ovterm::LookOf('A', true);
    EXPECT_EQ(plain.glyph, "A");
    EXPECT_FALSE(plain.reverse || plain.underline || plain.blink || plain.dim);

    ovterm::CellLook all =
        ovterm::LookOf('x' | cell::kReverse | cell::kUnderline | cell::kBlink | cell::kAltIntensity, true);
    EXPECT_TRUE(all.reverse && all.underline && all.blink && all.dim);
    EXPECT_TRUE(ovterm::LookOf('p' | cell::kProtected, true).protectedText);
    EXPECT_TRUE(ovterm::LookOf('g' | cell::kAltColour, true).altColour);

    // Code page 437 in UTF-8; 0x00 is a blank.
    EXPECT_EQ(ovterm::LookOf(0xC9, true).glyph, "\u2554");
    EXPECT_EQ(ovterm::LookOf(0x82, true).glyph, "\u00e9");
    EXPECT_EQ(ovterm::LookOf(0x00, true).glyph, " ");
    // Without UTF-8: line drawing as ACS, the rest as a visible stand-in.
    EXPECT_EQ(ovterm::LookOf(0xC4, false).acs, 'q');
    EXPECT_EQ(ovterm::LookOf(0xBF, false).acs, 'k');
    EXPECT_EQ(ovterm::LookOf(0x82, false).glyph, "?");
    EXPECT_EQ(ovterm::LookOf('z', false).glyph, "z");

    // Colour codes of the settings, out-of-range codes as the default.
    ovterm::CellLook coloured = ovterm::LookOf('c' | (3u << cell::kForeShift) | (8u << cell::kBackShift), true);
    EXPECT_EQ(coloured.fore, 3);
    EXPECT_EQ(coloured.back, 8);
    EXPECT_EQ(ovterm::LookOf('c' | (12u << cell::kForeShift), true).fore, 0);

    // Invisible: equal colour codes, unless the Windows program's own text
    // colours (protected grey, alternate green, intense) would show the text.
    const unsigned blueOnBlue = (2u << cell::kForeShift) | (2u << cell::kBackShift);
    const struct {
        unsigned word;
        bool invisible;
    } invisibility[] = {
        {'s' | blueOnBlue, true},
        {'s', false},  // both codes 0: the default colours differ
        {'s' | (2u << cell::kForeShift) | (3u << cell::kBackShift), false},
        {'s' | blueOnBlue | cell::kProtected, false},
        {'s' | blueOnBlue | cell::kAltColour, false},
        {'s' | blueOnBlue | cell::kAltIntensity, false},
    };
    for (const auto& c : invisibility)
        EXPECT_EQ(ovterm::LookOf(c.word, true).invisible, c.invisible) << std::hex << c.word;
}

// On a terminal without colours: protected and alternate-colour text dim,
// invisible text as blanks.
TEST(OvtermPalette, WithoutColoursProtectedIsDimAndInvisibleIsBlank) {
    ovterm::CursesPalette palette;  // not initialised: no colours
    const unsigned blueOnBlue = (2u << cell::kForeShift) | (2u << cell::kBackShift);
    EXPECT_EQ(palette.For(ovterm::LookOf('p' | cell::kProtected, true)).attrs & A_DIM, A_DIM);
    EXPECT_EQ(palette.For(ovterm::LookOf('g' | cell::kAltColour, true)).attrs & A_DIM, A_DIM);
    EXPECT_EQ(palette.For(ovterm::LookOf('n', true)).attrs, A_NORMAL);
    EXPECT_TRUE(palette.For(ovterm::LookOf('s' | blueOnBlue, true)).blank);
    const auto reversed = palette.For(ovterm::LookOf('r' | cell::kReverse | cell::kUnderline, true));
    EXPECT_EQ(reversed.attrs, A_REVERSE | A_UNDERLINE);
    EXPECT_EQ(reversed.pair, 0);
}

TEST(OvtermWindowPort, RecordsDirtyLinesCaretAndMessages) {
    CTextWindowPort port;
    int w = 0, h = 0;
    port.GetCellSize(&w, &h);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 1);
    PixelRect rect{0, 3, 80, 5};
    port.Invalidate(&rect, false);
    PixelRect outside{0, 20, 80, 40};  // clipped to the 25 lines
    port.Invalidate(&outside, false);
    auto dirty = port.TakeDirty();
    EXPECT_TRUE(dirty.test(3) && dirty.test(4) && dirty.test(20) && dirty.test(24));
    EXPECT_FALSE(dirty.test(2) || dirty.test(5) || dirty.test(19));
    EXPECT_FALSE(port.AnyDirty());
    port.Invalidate(nullptr, true);
    EXPECT_EQ(port.TakeDirty().count(), 25u);

    // A scroll stays in its band, every line of which is redrawn.
    port.ScrollPixels(PixelRect{0, 0, 80, 24}, 0, -1);
    dirty = port.TakeDirty();
    EXPECT_TRUE(dirty.test(0) && dirty.test(23));
    EXPECT_FALSE(dirty.test(24));
    port.ScrollPixels(PixelRect{0, 5, 80, 12}, 0, 2);
    dirty = port.TakeDirty();
    EXPECT_TRUE(dirty.test(5) && dirty.test(11));
    EXPECT_FALSE(dirty.test(4) || dirty.test(12));

    port.SetCaretPos(7, 9);
    port.HideCaret();
    EXPECT_EQ(port.CaretColumn(), 7);
    EXPECT_EQ(port.CaretLine(), 9);
    EXPECT_FALSE(port.CaretShown());
    port.MessageBox("line one\r\nline two", "OvTerm", 0);
    EXPECT_EQ(port.TakeMessages(), std::vector<std::string>{"OvTerm: line one  line two"});
    EXPECT_TRUE(port.TakeMessages().empty());
}

struct Collect : CRxHandler {
    void OnReceive(const char* data, int len) override { bytes.append(data, static_cast<size_t>(len)); }
    std::string bytes;
};

// Reads until the child has closed the terminal (bounded by a generous limit).
void RunToEnd(CPtyComm& pty) {
    for (int i = 0; i < 6000 && pty.IsConnected(); ++i) {
        pollfd fd{pty.Fd(), POLLIN, 0};
        if (poll(&fd, 1, 10) > 0) pty.OnSocketEvent(0);
    }
}

TEST(OvtermPty, ChildSeesWyse50TerminalAndItsExitIsReported) {
    Collect rx;
    int status = 0;
    CPtyComm pty(&status, nullptr, &rx,
                 {"sh", "-c", "echo \"[$TERM $LINES $COLUMNS $(stty size)]\"; read line; echo \"got $line\"; exit 7"});
    ASSERT_EQ(status, 0);
    char label[] = "local";
    ASSERT_EQ(pty.Connect(label), 1) << pty.Problem();
    ASSERT_GE(pty.Fd(), 0);
    const char typed[] = "hello\r";
    ASSERT_EQ(pty.Send(typed, 6), 1);
    RunToEnd(pty);
    EXPECT_FALSE(pty.IsConnected());
    EXPECT_NE(rx.bytes.find("[wy50 24 80 24 80]"), std::string::npos) << rx.bytes;
    EXPECT_NE(rx.bytes.find("got hello"), std::string::npos) << rx.bytes;
    ASSERT_TRUE(pty.Reaped());
    EXPECT_EQ(pty.ExitDescription(), "exit status 7");
}

TEST(OvtermPty, MissingProgramAndKilledChildAreReported) {
    Collect rx;
    int status = 0;
    CPtyComm missing(&status, nullptr, &rx, {"/nonexistent/program"});
    char label[] = "local";
    EXPECT_EQ(missing.Connect(label), 0);
    EXPECT_NE(missing.Problem().find("/nonexistent/program"), std::string::npos);
    EXPECT_FALSE(missing.IsConnected());

    CPtyComm killed(&status, nullptr, &rx, {"sh", "-c", "kill -TERM $$"});
    ASSERT_EQ(killed.Connect(label), 1);
    RunToEnd(killed);
    EXPECT_EQ(killed.ExitDescription(), "killed by signal 15");

    // Disconnecting ends a child that is still running.
    CPtyComm running(&status, nullptr, &rx, {"sleep", "300"});
    ASSERT_EQ(running.Connect(label), 1);
    running.Disconnect();
    EXPECT_TRUE(running.Reaped());
    EXPECT_FALSE(running.IsConnected());
}

}  // namespace
