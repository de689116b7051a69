#include "GvcpDiscovery.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "GvcpClient.h"
#include "GvcpUdpSocket.h"
#include "KvDeviceRegisters.h"

using namespace Gvcp;
using Clock = std::chrono::steady_clock;

namespace {

struct LocalInterface {
    std::string m_sName;
    uint32_t m_nIp = 0;
    uint32_t m_nBroadcast = 0;
    bool m_bCanBroadcast = false;
};

std::vector<LocalInterface> LocalInterfaces() {
    std::vector<LocalInterface> result;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return result;
    }
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        LocalInterface local;
        local.m_sName = entry->ifa_name;
        local.m_nIp = ntohl(reinterpret_cast<sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr);
        local.m_bCanBroadcast = (entry->ifa_flags & IFF_BROADCAST) && entry->ifa_broadaddr;
        if (local.m_bCanBroadcast) {
            local.m_nBroadcast =
                ntohl(reinterpret_cast<sockaddr_in*>(entry->ifa_broadaddr)->sin_addr.s_addr);
        }
        result.push_back(local);
    }
    freeifaddrs(list);
    return result;
}

std::string InterfaceMac(const std::string& name) {
    // The name comes from getifaddrs, never from a device, so it is a plain file name.
    std::ifstream file("/sys/class/net/" + name + "/address");
    std::string mac;
    std::getline(file, mac);
    std::transform(mac.begin(), mac.end(), mac.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    return mac;
}

// The local address the system would send from to reach ip.
uint32_t RouteSource(uint32_t ip) {
    const int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s < 0) {
        return 0;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(PORT);
    to.sin_addr.s_addr = htonl(ip);
    sockaddr_in local{};
    socklen_t length = sizeof local;
    uint32_t result = 0;
    if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&local), &length) == 0) {
        result = ntohl(local.sin_addr.s_addr);
    }
    close(s);
    return result;
}

}  // namespace

KvResult GvcpDiscovery::DiscoverUnicast(std::span<const KvString> addresses,
                                        std::vector<GvcpDiscoveredDevice>& found) {
    std::vector<Target> targets;
    for (const KvString& address : addresses) {
        const auto ip = ParseIp(address.view());
        if (!ip || *ip == 0 || *ip == 0xFFFFFFFF) {
            return KV_ERROR("Not a unicast IPv4 address: " + address.str(),
                            KvCode::INVALID_ARGUMENT);
        }
        targets.push_back({*ip, false});
    }
    std::optional<uint32_t> local = 0u;
    if (!m_sLocalIp.IsEmpty()) {
        local = ParseIp(m_sLocalIp.view());
    }
    if (!local) {
        return KV_ERROR("Invalid local IP address: " + m_sLocalIp.str(), KvCode::INVALID_ARGUMENT);
    }
    return Discover(targets, *local, false, found);
}

KvResult GvcpDiscovery::DiscoverBroadcast(std::span<const KvString> interfaces,
                                          std::vector<GvcpDiscoveredDevice>& found) {
    const std::vector<LocalInterface> locals = LocalInterfaces();
    for (const KvString& name : interfaces) {
        auto local = std::find_if(locals.begin(), locals.end(), [&](const LocalInterface& l) {
            return l.m_sName == name.view();
        });
        if (local == locals.end()) {
            return KV_ERROR("No IPv4 interface named " + name.str(), KvCode::NOT_FOUND);
        }
        if (!local->m_bCanBroadcast) {
            return KV_ERROR("Interface " + name.str() + " cannot broadcast", KvCode::NOT_SUPPORTED);
        }
        const Target target{local->m_nBroadcast, true};
        if (const KvResult result = Discover(std::span(&target, 1), local->m_nIp, true, found)) {
            return result;
        }
    }
    return KvCode::OK;
}

KvResult GvcpDiscovery::Discover(std::span<const Target> targets, uint32_t localIp, bool broadcast,
                                 std::vector<GvcpDiscoveredDevice>& found) {
    GvcpUdpSocket socket;
    if (const int error = socket.Open({localIp, 0}, broadcast); error != 0) {
        return SetErrorInfo(
            "Cannot open the discovery socket: " + std::string(std::strerror(error)),
            KvCode::NETWORK, __FILE__, __LINE__, static_cast<uint32_t>(error));
    }
    const uint16_t id = 1;
    const Bytes request = EncodeDiscoveryCommand(id, false);
    for (const Target& target : targets) {
        if (const int error = socket.SendTo(request, {target.m_nIp, PORT}); error != 0) {
            return SetErrorInfo("Cannot send a discovery request to " + FormatIp(target.m_nIp) +
                                    ": " + std::strerror(error),
                                KvCode::NETWORK, __FILE__, __LINE__, static_cast<uint32_t>(error));
        }
    }
    const size_t before = found.size();
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_nAnswerTimeoutMs);
    uint8_t buffer[MAX_PACKET + 1];
    GvcpEndpoint from;
    while (auto size = socket.ReceiveFrom(buffer, from, deadline)) {
        if (*size > MAX_PACKET || from.m_nPort != PORT) {
            continue;
        }
        // A unicast answer must come from an address that was asked.
        if (!broadcast && std::none_of(targets.begin(), targets.end(),
                                       [&](const Target& t) { return t.m_nIp == from.m_nIp; })) {
            continue;
        }
        const auto ack = ParseAck(ByteView(buffer, *size));
        if (!ack || ack->m_Header.m_nAck != Ack::DISCOVERY || ack->m_Header.m_nAckId != id ||
            ack->m_Header.m_nStatus != Status::SUCCESS) {
            continue;
        }
        const auto info = ParseDiscoveryAckPayload(ack->m_Payload);
        if (!info) {
            continue;
        }
        GvcpDiscoveredDevice device;
        device.m_Info = *info;
        device.m_sManufacturer = info->m_sManufacturer;
        device.m_sModel = info->m_sModel;
        device.m_sDeviceVersion = info->m_sDeviceVersion;
        device.m_sSerialNumber = info->m_sSerialNumber;
        device.m_sUserName = info->m_sUserName;
        device.m_sName = info->m_sUserName.empty() ? info->m_sModel : info->m_sUserName;
        // The address that answered is the one to talk to, even if the device
        // reports another (a device whose IP was just forced reports the new one).
        device.m_sIp = FormatIp(from.m_nIp);
        device.m_sMask = FormatIp(info->m_nMask);
        device.m_sGateway = FormatIp(info->m_nGateway);
        device.m_sMac = FormatMac(info->m_Mac);
        const bool duplicate =
            std::any_of(found.begin(), found.end(), [&](const GvcpDiscoveredDevice& d) {
                return d.m_sMac == device.m_sMac && d.m_sIp == device.m_sIp;
            });
        if (!duplicate) {
            found.push_back(std::move(device));
        }
    }
    for (size_t i = before; i < found.size(); ++i) {
        FillAdapterAndCamera(found[i]);
    }
    return KvCode::OK;
}

void GvcpDiscovery::FillAdapterAndCamera(GvcpDiscoveredDevice& device) {
    const uint32_t ip = *ParseIp(device.m_sIp.view());
    const uint32_t source = RouteSource(ip);
    device.m_sAdapterIp = FormatIp(source);
    for (const LocalInterface& local : LocalInterfaces()) {
        if (local.m_nIp == source) {
            device.m_sAdapterName = local.m_sName;
            device.m_sAdapterID = InterfaceMac(local.m_sName);
            break;
        }
    }
    // Only our own device has the identification register; ask once, briefly,
    // and take no answer or a refusal as "not identified".
    if (!device.m_Info.m_sManufacturerInfo.starts_with(KvDeviceReg::EXTENSION_MARKER)) {
        return;
    }
    GvcpClient client;
    client.SetAnswerTimeout(std::min<uint32_t>(m_nAnswerTimeoutMs, 200));
    client.SetRetryCount(0);
    uint32_t id = 0;
    if (client.Open(device.m_sIp) == KvCode::OK &&
        client.ReadRegister(KvDeviceReg::CAMERA_ID, id) == KvCode::OK && (id >> 16) == 0) {
        device.m_nCameraId[0] = static_cast<uint8_t>(id >> 8);
        device.m_nCameraId[1] = static_cast<uint8_t>(id);
    }
}
