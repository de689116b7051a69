#pragma once
// Finding GigE Vision devices: by unicast to given addresses, or by broadcast
// on chosen interfaces (only when asked). Each answer becomes a plain record
// the device finder turns into a configuration entry.

#include <cstdint>
#include <span>
#include <vector>

#include "KvErrorInterface.h"
#include "KvGvcpCodec.h"
#include "KvString.h"

struct GvcpDiscoveredDevice {
    KvString m_sName;  // the user-defined name, or the model name when that is empty
    KvString m_sManufacturer;
    KvString m_sModel;
    KvString m_sDeviceVersion;
    KvString m_sSerialNumber;
    KvString m_sUserName;
    KvString m_sIp;  // "a.b.c.d"
    KvString m_sMask;
    KvString m_sGateway;
    KvString m_sMac;          // "00:11:22:33:44:55"
    KvString m_sAdapterID;    // MAC of the local interface the answer came through
    KvString m_sAdapterName;  // that interface's name ("eth0")
    KvString m_sAdapterIp;    // the local address the answer came to
    // Identification bytes of the camera attached to one of our devices (family,
    // model index); 0, 0 for other devices and when no camera is identified.
    // Asked only of devices that carry our extension marker.
    uint8_t m_nCameraId[2] = {0, 0};
    Gvcp::DiscoveryInfo m_Info;  // the whole answer, decoded
};

class GvcpDiscovery : public KvErrorInterface {
public:
    void SetAnswerTimeout(uint32_t milliseconds) {
        m_nAnswerTimeoutMs = milliseconds ? milliseconds : 1;
    }
    // Local address to send from ("" = any).
    void SetLocalAddress(const KvString& ip) { m_sLocalIp = ip; }

    // Asks each address; waits the answer time-out for all of them at once.
    // Devices that answer are added to found (one record per MAC and IP); no
    // answer at all is not an error, found simply stays as it was.
    KvResult DiscoverUnicast(std::span<const KvString> addresses,
                             std::vector<GvcpDiscoveredDevice>& found);
    // Broadcasts on each named interface that can broadcast (its IPv4 broadcast
    // address). An interface that does not exist or cannot broadcast is an error.
    KvResult DiscoverBroadcast(std::span<const KvString> interfaces,
                               std::vector<GvcpDiscoveredDevice>& found);

private:
    struct Target {
        uint32_t m_nIp;  // where to send
        bool m_bBroadcast;
    };
    KvResult Discover(std::span<const Target> targets, uint32_t localIp, bool broadcast,
                      std::vector<GvcpDiscoveredDevice>& found);
    void FillAdapterAndCamera(GvcpDiscoveredDevice& device);

    uint32_t m_nAnswerTimeoutMs = 500;
    KvString m_sLocalIp;
};
