#pragma once
// A C entry point with a plain name, so that a library that loads GenApi at
// run time (dlopen) can tell whether it is present and usable before it
// calls any of the C++ interfaces.

extern "C" {
// The library's version text, for example "1.0.0".
const char* GenApiLibraryVersion(void);
}
