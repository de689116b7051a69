#pragma once
// The commands of kvtool; each answers the process exit status.

#include <string_view>

#include "KvToolArgs.h"

struct KvToolCommand {
    std::string_view m_sName;
    size_t m_nMinArgs;
    size_t m_nMaxArgs;
    int (*m_pRun)(const KvToolArgs& args);
};

// Null for an unknown name.
const KvToolCommand* FindKvToolCommand(std::string_view name);
