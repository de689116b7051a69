#include "KvToolCommands.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <vector>

#include "KvConfig.h"
#include "KvDevice.h"
#include "KvDeviceFinder.h"
#include "KvGvcp.h"
#include "KvToolZip.h"

namespace {

int Fail(const std::string& text) {
    std::cerr << "kvtool: " << text << "\n";
    return 1;
}
int Fail(const KvErrorInterface& source) {
    return Fail(source.GetInfoString().str());
}

bool Number(const std::string& text, uint32_t& value) {
    try {
        size_t used = 0;
        const unsigned long v = std::stoul(text, &used, 0);
        if (used != text.size() || v > 0xFFFFFFFFul)
            return false;
        value = static_cast<uint32_t>(v);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Reads need no control; only writes take it.
bool Open(const KvToolArgs& args, KvDevice& device, bool control) {
    KvConfig config;
    config.AddDevice();
    config.SetParameter(KvConfigParam::IP_ADDRESS, KvString("[" + args.m_sAddress + "]"));
    config.SetParameter(KvConfigParam::MULTI_TARGET_MODE, int64_t{control ? 0 : 1});
    config.SetParameter(KvConfigParam::MASTER, int64_t{control ? 1 : 0});
    if (device.Connect(config) != KvCode::OK) {
        Fail(device);
        return false;
    }
    return true;
}

int Discover(const KvToolArgs& args) {
    KvFindOptions options;
    if (!args.m_sAddress.empty())
        options.m_Addresses.push_back(KvString(args.m_sAddress));
    options.m_bBroadcast = !args.m_Interfaces.empty();
    for (const auto& i : args.m_Interfaces)
        options.m_Interfaces.push_back(KvString(i));
    KvDeviceFinder finder;
    std::vector<KvDeviceRecord> found;
    if (finder.Find(options, found) != KvCode::OK)
        return Fail(finder);
    if (found.empty())
        return Fail("No device answered");
    for (const KvDeviceRecord& r : found) {
        std::cout << r.m_sIp.str() << " " << r.m_sMac.str() << " " << r.m_sName.str() << " ("
                  << r.m_sDetail1.str() << ", " << r.m_sDetail2.str() << ") id " << int(r.m_nId[0])
                  << "." << int(r.m_nId[1]) << "\n";
    }
    return 0;
}

int Info(const KvToolArgs& args) {
    KvFindOptions options;
    options.m_Addresses.push_back(KvString(args.m_sAddress));
    KvDeviceFinder finder;
    std::vector<KvDeviceRecord> found;
    if (finder.Find(options, found) != KvCode::OK)
        return Fail(finder);
    if (found.empty())
        return Fail("No device answered at " + args.m_sAddress);
    const KvDeviceRecord& r = found.front();
    std::cout << "Name:       " << r.m_sName.str() << "\nDevice:     " << r.m_sDetail1.str()
              << "\nSerial:     " << r.m_sDetail2.str() << "\nIP:         " << r.m_sIp.str()
              << "\nMAC:        " << r.m_sMac.str() << "\nCamera id:  " << int(r.m_nId[0]) << "."
              << int(r.m_nId[1]) << "\n";
    return 0;
}

int ReadRegister(const KvToolArgs& args) {
    uint32_t address = 0, value = 0;
    if (!Number(args.m_Args[0], address))
        return Fail("Not a register address: " + args.m_Args[0]);
    KvDevice device;
    if (!Open(args, device, false))
        return 1;
    if (device.ReadRegister(address, &value) != KvCode::OK)
        return Fail(device);
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    std::cout << text << "\n";
    return 0;
}

int WriteRegister(const KvToolArgs& args) {
    uint32_t address = 0, value = 0;
    if (!Number(args.m_Args[0], address))
        return Fail("Not a register address: " + args.m_Args[0]);
    if (!Number(args.m_Args[1], value))
        return Fail("Not a 32-bit value: " + args.m_Args[1]);
    KvDevice device;
    if (!Open(args, device, true))
        return 1;
    if (device.WriteRegister(address, value) != KvCode::OK)
        return Fail(device);
    return device.Disconnect() == KvCode::OK ? 0 : Fail(device);
}

int ReadMemory(const KvToolArgs& args) {
    uint32_t address = 0, count = 0;
    if (!Number(args.m_Args[0], address))
        return Fail("Not a memory address: " + args.m_Args[0]);
    if (!Number(args.m_Args[1], count) || count > (16u << 20))
        return Fail("Not a byte count up to 16 MiB: " + args.m_Args[1]);
    KvDevice device;
    if (!Open(args, device, false))
        return 1;
    std::vector<uint8_t> data(count);
    if (device.ReadMemory(address, data.data(), &count) != KvCode::OK)
        return Fail(device);
    for (uint32_t i = 0; i < count; ++i) {
        char text[4];
        std::snprintf(text, sizeof text, "%02x", data[i]);
        std::cout << text << ((i % 16 == 15 || i + 1 == count) ? "\n" : " ");
    }
    return 0;
}

// "local:name;address;length" (hexadecimal numbers), the only form devices serve from memory.
bool ParseLocalUrl(const std::string& url, std::string& name, uint32_t& address, uint32_t& size) {
    if (url.rfind("local:", 0) != 0 && url.rfind("Local:", 0) != 0)
        return false;
    const std::string rest = url.substr(6);
    const size_t a = rest.find(';');
    const size_t b = a == std::string::npos ? a : rest.find(';', a + 1);
    if (b == std::string::npos)
        return false;
    name = rest.substr(0, a);
    const std::string len = rest.substr(b + 1, rest.find_first_of("?", b + 1) - (b + 1));
    return Number("0x" + rest.substr(a + 1, b - a - 1), address) && Number("0x" + len, size);
}

int GenICam(const KvToolArgs& args) {
    KvDevice device;
    if (!Open(args, device, false))
        return 1;
    std::string url(Gvcp::Reg::URL_SIZE, '\0');
    uint32_t count = Gvcp::Reg::URL_SIZE;
    if (device.ReadMemory(Gvcp::Reg::FIRST_URL, url.data(), &count) != KvCode::OK)
        return Fail(device);
    url.resize(std::strlen(url.c_str()));
    std::string name;
    uint32_t address = 0, size = 0;
    if (!ParseLocalUrl(url, name, address, size) || size == 0 || size > (64u << 20))
        return Fail("The device's first URL names no file in its memory: \"" + url + "\"");
    std::vector<uint8_t> file(size);
    count = size;
    if (device.ReadMemory(address, file.data(), &count) != KvCode::OK)
        return Fail(device);
    std::string xml(file.begin(), file.end());
    const bool zipped = name.size() >= 4 && (name.ends_with(".zip") || name.ends_with(".ZIP"));
    if (zipped) {
        std::string error;
        auto unpacked = KvUnzipFirst(file, error);
        if (!unpacked)
            return Fail(error);
        xml = std::move(*unpacked);
    }
    if (args.m_Args.empty()) {
        std::cout << xml;
        return std::cout.flush() ? 0 : Fail("Cannot write to standard output");
    }
    std::ofstream out(args.m_Args[0], std::ios::binary);
    if (!out.write(xml.data(), static_cast<std::streamsize>(xml.size())) || !out.flush())
        return Fail("Cannot write " + args.m_Args[0]);
    return 0;
}

constexpr KvToolCommand COMMANDS[] = {
    {"discover", 0, 0, Discover},          {"info", 0, 0, Info},
    {"read-register", 1, 1, ReadRegister}, {"write-register", 2, 2, WriteRegister},
    {"read-memory", 2, 2, ReadMemory},     {"genicam", 0, 1, GenICam},
};

}  // namespace

const KvToolCommand* FindKvToolCommand(std::string_view name) {
    for (const KvToolCommand& c : COMMANDS) {
        if (c.m_sName == name)
            return &c;
    }
    return nullptr;
}
