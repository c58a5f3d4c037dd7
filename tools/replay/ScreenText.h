// The screen as text: each cell's character byte through code page 437 as
// UTF-8 (0x00 shown as a space), rows 0 to 24, trailing blanks removed.
#pragma once

#include <string>
#include <vector>

class CTermView;

std::string Cp437ToUtf8(unsigned char byte);
std::vector<std::string> ScreenRows(CTermView& view);
