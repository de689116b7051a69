#pragma once
// Command line of kvsim.

#include <string>
#include <vector>

#include "SimGigEDevice.h"

struct KvSimOptions {
    std::string m_sAddress;
    uint16_t m_nPort = Gvcp::PORT;
    SimGigEOptions m_Device;
    bool m_bHelp = false;
};

// Fills options from argv; false with a message for the user otherwise.
bool ParseKvSimOptions(const std::vector<std::string>& args, KvSimOptions& options,
                       std::string& error);
const char* KvSimUsage();
