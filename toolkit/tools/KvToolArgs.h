#pragma once
// The command line of kvtool: --address A [--broadcast IFACE] COMMAND [ARGS].

#include <string>
#include <vector>

struct KvToolArgs {
    std::string m_sAddress;
    std::vector<std::string> m_Interfaces;  // broadcast only on these, only when given
    std::string m_sCommand;
    std::vector<std::string> m_Args;
    bool m_bHelp = false;
};

// False with a message for the user when the line cannot be used.
bool ParseKvToolArgs(const std::vector<std::string>& argv, KvToolArgs& args, std::string& error);
const char* KvToolUsage();
