// Descriptions of the Winsock error codes, as the program shows them: the
// code in square brackets, then the text.
#pragma once

struct WinsockErrorText {
    int code;
    const char* text;
};

// The full table, in ascending code order (10000 stands for "no error").
const WinsockErrorText* WinsockErrorTable(int* count);

// The text for code, or nullptr when the code has none.
const char* FindWinsockErrorText(int code);

// Copies the text for code into out (at most size - 1 characters, always
// terminated); an unknown code gives "[code] Unknown error".
void FormatWinsockError(int code, char* out, int size);
