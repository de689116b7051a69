#include "GenApi/Version.h"

extern "C" const char* GenApiLibraryVersion(void) {
    return "1.0.0";
}
