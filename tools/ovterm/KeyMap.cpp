#include "tools/ovterm/KeyMap.h"

#include "tools/ovterm/CursesInclude.h"

#include "emu/KeyCodes.h"

namespace ovterm {

KeyResult MapKey(int key) {
    auto send = [](unsigned code) { return KeyResult{KeyAction::kSendKey, code}; };
    // terminfo numbers shifted F keys after the twelve plain ones (F13 is
    // Shift+F1 on xterm, tmux and the Linux console alike).
    if (key >= KEY_F(1) && key <= KEY_F(12)) return send(keys::kF1 + static_cast<unsigned>(key - KEY_F(1)));
    if (key >= KEY_F(13) && key <= KEY_F(24))
        return send((keys::kF1 + static_cast<unsigned>(key - KEY_F(13))) | keys::kShift);
    switch (key) {
    case KEY_UP: return send(keys::kUp);
    case KEY_DOWN: return send(keys::kDown);
    case KEY_LEFT: return send(keys::kLeft);
    case KEY_RIGHT: return send(keys::kRight);
    case KEY_SR: return send(keys::kUp | keys::kShift);
    case KEY_SF: return send(keys::kDown | keys::kShift);
    case KEY_SLEFT: return send(keys::kLeft | keys::kShift);
    case KEY_SRIGHT: return send(keys::kRight | keys::kShift);
    case KEY_HOME: return send(keys::kHome);
    case KEY_SHOME: return send(keys::kHome | keys::kShift);
    case KEY_END: return send(keys::kEnd);
    case KEY_SEND: return send(keys::kEnd | keys::kShift);
    case KEY_PPAGE: return send(keys::kPageUp);
    case KEY_NPAGE: return send(keys::kPageDown);
    case KEY_IC: return send(keys::kInsert);
    case KEY_DC: return send(keys::kDelete);
    case KEY_SIC: return send(keys::kInsert | keys::kShift);
    case KEY_SDC: return send(keys::kDelete | keys::kShift);
    case KEY_BREAK: return send(keys::kBreak);
    // Shift+Page Up/Down page through the history, as the scroll bar does.
    case KEY_SPREVIOUS: return {KeyAction::kScrollUp, 0};
    case KEY_SNEXT: return {KeyAction::kScrollDown, 0};
    // Both Enter keys are the Return key; the Backspace key sends BS as the
    // Wyse keyboard does, whichever byte the user's terminal uses for it.
    case KEY_ENTER:
    case '\n':
    case '\r': return {KeyAction::kType, '\r'};
    case KEY_BACKSPACE:
    case 0x7F: return {KeyAction::kType, 0x08};
    default: break;
    }
    if (key >= 0 && key <= 0xFF) return {KeyAction::kType, static_cast<unsigned>(key)};
    return {};
}

}  // namespace ovterm
