// What the fuzz targets whose code writes files share: a temporary working
// directory of their own, emptied before every input and removed at exit,
// and libFuzzer's path arguments made absolute before the first input
// enters it.
#pragma once

namespace fuzzwork {

// From LLVMFuzzerInitialize: makes the directory and rewrites the
// arguments; exits with a message naming target when it cannot.
void Initialize(int* argc, char*** argv, const char* target);
// From LLVMFuzzerTestOneInput, first thing: enters the directory (with the
// first input) and empties it.
void EnterEmptyDirectory();

}  // namespace fuzzwork
