#pragma once
// Everything a caller of the node map needs.

#include "GenApi/GenICamException.h"
#include "GenApi/Interfaces.h"
#include "GenApi/NodeMapRef.h"
#include "GenApi/Pointer.h"
#include "GenApi/Types.h"
#include "GenApi/Version.h"
