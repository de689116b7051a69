// kvtool: reach one network device from the command line.
#include <iostream>

#include "KvToolArgs.h"
#include "KvToolCommands.h"

int main(int argc, char** argv) {
    KvToolArgs args;
    std::string error;
    if (!ParseKvToolArgs({argv + 1, argv + argc}, args, error)) {
        std::cerr << "kvtool: " << error << "\n" << KvToolUsage();
        return 2;
    }
    if (args.m_bHelp) {
        std::cout << KvToolUsage();
        return 0;
    }
    const KvToolCommand* command = FindKvToolCommand(args.m_sCommand);
    if (!command) {
        std::cerr << "kvtool: unknown command " << args.m_sCommand << "\n" << KvToolUsage();
        return 2;
    }
    if (args.m_Args.size() < command->m_nMinArgs || args.m_Args.size() > command->m_nMaxArgs) {
        std::cerr << "kvtool: wrong number of arguments for " << args.m_sCommand << "\n"
                  << KvToolUsage();
        return 2;
    }
    if (command->m_sName != "discover" && args.m_sAddress.empty()) {
        std::cerr << "kvtool: --address is needed\n";
        return 2;
    }
    return command->m_pRun(args);
}
