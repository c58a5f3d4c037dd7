#include "session/TypedInput.h"

namespace typed {

std::string BuildBlock(char ch, unsigned repeatCount, bool* tooMany, bool crAlone) {
    bool cut = repeatCount > kMaxRepeat;
    if (tooMany) *tooMany = cut;
    if (cut) repeatCount = kMaxRepeat;
    std::string block;
    for (unsigned i = 0; i < repeatCount; ++i) {
        block += ch;
        if (ch == '\r' && !crAlone) block += '\n';
    }
    return block;
}

}  // namespace typed
