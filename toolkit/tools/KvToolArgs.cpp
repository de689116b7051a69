#include "KvToolArgs.h"

const char* KvToolUsage() {
    return "usage: kvtool --address A [--broadcast IFACE] COMMAND [ARGS]\n"
           "  discover                 ask A (and broadcast on IFACE with --broadcast)\n"
           "  info                     the device's identity\n"
           "  read-register R          one register (R decimal or 0x hexadecimal)\n"
           "  write-register R V       write V to R\n"
           "  read-memory R COUNT      COUNT bytes from R, in hexadecimal\n"
           "  genicam [FILE]           the device's GenICam XML, unpacked\n"
           "  --help                   this text\n";
}

bool ParseKvToolArgs(const std::vector<std::string>& argv, KvToolArgs& args, std::string& error) {
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (a == "--help" || a == "-h") {
            args.m_bHelp = true;
            return true;
        }
        if (a == "--address" || a == "--broadcast") {
            if (i + 1 >= argv.size()) {
                error = a + " needs a value";
                return false;
            }
            (a == "--address" ? args.m_sAddress : args.m_Interfaces.emplace_back()) = argv[++i];
        } else if (args.m_sCommand.empty()) {
            args.m_sCommand = a;
        } else {
            args.m_Args.push_back(a);
        }
    }
    if (args.m_sCommand.empty()) {
        error = "no command given";
        return false;
    }
    if (args.m_sAddress.empty() && args.m_Interfaces.empty()) {
        error = "--address is needed";
        return false;
    }
    return true;
}
