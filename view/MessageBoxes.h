// The message-box types, answers and shared texts of the terminal program, in
// one place for the portable code and the Win32 code alike. The values are
// those of the platform's MessageBox flags.
#pragma once

namespace mb {
constexpr unsigned kOk = 0x0;
constexpr unsigned kYesNo = 0x4;
constexpr unsigned kIconExclamation = 0x30;
constexpr unsigned kIconQuestion = 0x20;
constexpr unsigned kIconInformation = 0x40;

constexpr int kAnswerYes = 6;

// The caption of the program's own messages.
constexpr char kCaption[] = "WinOvTerm";
constexpr char kNoMemory[] = "Cannot allocate enough memory.";
constexpr char kMemoryError[] = "Memory allocation error!";
}  // namespace mb
