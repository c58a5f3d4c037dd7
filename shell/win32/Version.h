// The version of WinOvTerm.exe: the one place it is written. WinOvTerm.rc's
// VERSIONINFO takes it from here, and so does the installer build
// (installer/CMakeLists.txt reads these lines with a regular expression, so
// keep each a plain #define of a number or a string literal).
#pragma once

#define OV_VERSION_MAJOR 1
#define OV_VERSION_MINOR 7
#define OV_VERSION_PATCH 0
#define OV_VERSION_BUILD 0
// What the version resource's "FileVersion" and "ProductVersion" say, and the
// version in the installers' names.
#define OV_VERSION_STRING "1.7"
