#include "KvSimOptions.h"

#include <cstdio>
#include <cstdlib>

const char* KvSimUsage() {
    return "Usage: kvsim --address 127.0.0.N [options]\n"
           "A simulated GigE Vision device on one loopback address.\n"
           "\n"
           "  --address A       IPv4 address to serve on (required; bound alone, never 0.0.0.0)\n"
           "  --port P          UDP control port (default 3956)\n"
           "  --xml plain|zip   packing of the GenICam file the first URL names (default plain)\n"
           "  --serial S        serial number (up to 15 characters)\n"
           "  --name N          user-defined name (up to 15 characters)\n"
           "  --model M         model name (up to 31 characters)\n"
           "  --mac XX:XX:XX:XX:XX:XX   MAC address\n"
           "  --camera-id F,S   identification bytes of the attached camera (0..255 each)\n"
           "  --help            this text\n"
           "\n"
           "Stops cleanly on SIGINT or SIGTERM.\n";
}

namespace {

bool ParseByte(const std::string& text, uint8_t& out) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || value > 255) {
        return false;
    }
    out = static_cast<uint8_t>(value);
    return true;
}

bool ParseMac(const std::string& text, Gvcp::MacAddress& mac) {
    unsigned b[6];
    char tail;
    if (std::sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x%c", &b[0], &b[1], &b[2], &b[3], &b[4],
                    &b[5], &tail) != 6) {
        return false;
    }
    for (int i = 0; i < 6; ++i) {
        mac[i] = static_cast<uint8_t>(b[i]);
    }
    return true;
}

}  // namespace

bool ParseKvSimOptions(const std::vector<std::string>& args, KvSimOptions& options,
                       std::string& error) {
    SimDeviceIdentity& identity = options.m_Device.m_Identity;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.m_bHelp = true;
            return true;
        }
        if (i + 1 >= args.size()) {
            error = "missing value after " + arg;
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--address") {
            const auto ip = Gvcp::ParseIp(value);
            if (!ip || *ip == 0) {
                error = "not a usable IPv4 address: " + value;
                return false;
            }
            options.m_sAddress = value;
            identity.m_nIp = *ip;
        } else if (arg == "--port") {
            char* end = nullptr;
            const unsigned long port = std::strtoul(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || port == 0 || port > 65535) {
                error = "not a port number: " + value;
                return false;
            }
            options.m_nPort = static_cast<uint16_t>(port);
        } else if (arg == "--xml") {
            if (value != "plain" && value != "zip") {
                error = "--xml takes plain or zip";
                return false;
            }
            options.m_Device.m_eXml = value == "zip" ? SimXmlVariant::ZIP : SimXmlVariant::PLAIN;
        } else if (arg == "--serial" || arg == "--name" || arg == "--model") {
            const size_t limit = arg == "--model" ? 31 : 15;
            if (value.size() > limit) {
                error = arg + " takes at most " + std::to_string(limit) + " characters";
                return false;
            }
            (arg == "--serial" ? identity.m_sSerialNumber
             : arg == "--name" ? identity.m_sUserName
                               : identity.m_sModel) = value;
        } else if (arg == "--mac") {
            if (!ParseMac(value, identity.m_Mac)) {
                error = "not a MAC address: " + value;
                return false;
            }
        } else if (arg == "--camera-id") {
            const size_t comma = value.find(',');
            if (comma == std::string::npos ||
                !ParseByte(value.substr(0, comma), options.m_Device.m_nCameraIdFirst) ||
                !ParseByte(value.substr(comma + 1), options.m_Device.m_nCameraIdSecond)) {
                error = "--camera-id takes two bytes, as 3,1";
                return false;
            }
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.m_sAddress.empty()) {
        error = "--address is required";
        return false;
    }
    return true;
}
