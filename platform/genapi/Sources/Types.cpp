#include "GenApi/Types.h"

namespace GenApi {

const char* AccessModeName(EAccessMode mode) {
    switch (mode) {
        case NI:
            return "NI";
        case NA:
            return "NA";
        case WO:
            return "WO";
        case RO:
            return "RO";
        case RW:
            return "RW";
        default:
            return "Undefined";
    }
}

const char* VisibilityName(EVisibility visibility) {
    switch (visibility) {
        case Beginner:
            return "Beginner";
        case Expert:
            return "Expert";
        case Guru:
            return "Guru";
        case Invisible:
            return "Invisible";
        default:
            return "Undefined";
    }
}

const char* CachingModeName(ECachingMode mode) {
    switch (mode) {
        case NoCache:
            return "NoCache";
        case WriteThrough:
            return "WriteThrough";
        case WriteAround:
            return "WriteAround";
        default:
            return "Undefined";
    }
}

}  // namespace GenApi
