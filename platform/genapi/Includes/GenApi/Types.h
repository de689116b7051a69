#pragma once
// Basic types and enumerations of the GenICam node map. The numbers of every
// enumeration are the standard's, so that values stored by callers keep their
// meaning.

#include <cstdint>
#include <string>
#include <vector>

namespace GenICam {
using gcstring = std::string;
using gcstring_vector = std::vector<gcstring>;
}  // namespace GenICam

namespace GenApi {
using GenICam::gcstring;
using GenICam::gcstring_vector;

enum EAccessMode { NI = 0, NA = 1, WO = 2, RO = 3, RW = 4, _UndefinedAccesMode = 5 };

enum EVisibility { Beginner = 0, Expert = 1, Guru = 2, Invisible = 3, _UndefinedVisibility = 99 };

enum ECachingMode { NoCache = 0, WriteThrough = 1, WriteAround = 2, _UndefinedCachingMode = 3 };

enum ERepresentation {
    Linear = 0,
    Logarithmic = 1,
    Boolean = 2,
    PureNumber = 3,
    HexNumber = 4,
    IPV4Address = 5,
    MACAddress = 6,
    _UndefinedRepresentation = 7
};

enum EInterfaceType {
    intfIValue = 0,
    intfIBase = 1,
    intfIInteger = 2,
    intfIBoolean = 3,
    intfICommand = 4,
    intfIFloat = 5,
    intfIString = 6,
    intfIRegister = 7,
    intfICategory = 8,
    intfIEnumeration = 9,
    intfIEnumEntry = 10,
    intfIPort = 11
};

enum ENameSpace { Custom = 0, Standard = 1, _UndefinedNameSpace = 2 };

enum EDisplayNotation { fnAutomatic = 0, fnFixed = 1, fnScientific = 2 };

enum ESign { Signed = 0, Unsigned = 1 };

enum EEndianess { BigEndian = 0, LittleEndian = 1 };

class INode;
class IValue;
using NodeList_t = std::vector<INode*>;
using FeatureList_t = std::vector<IValue*>;
using StringList_t = gcstring_vector;

// Text of the enumerations, as the XML writes them.
const char* AccessModeName(EAccessMode mode);
const char* VisibilityName(EVisibility visibility);
const char* CachingModeName(ECachingMode mode);
}  // namespace GenApi
