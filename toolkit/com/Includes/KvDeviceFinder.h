#pragma once
// Finding network devices without a dialog: unicast to given addresses, and a
// broadcast on chosen interfaces only when asked. Each device that answers
// becomes a record, or an entry of a connection configuration.

#include <cstdint>
#include <vector>

#include "KvErrorInterface.h"
#include "KvString.h"

class KvConfig;

// One device found, in the form configuration entries hold it.
struct KvDeviceRecord {
    KvString m_sName;                  // 12: user-defined name, else the model name
    KvString m_sIp;                    // 10: "[a.b.c.d]"
    KvString m_sMac;                   // 11: "00:11:22:33:44:55"
    KvString m_sAdapterID;             // 9: MAC of the local interface the answer came through
    int64_t m_nCommunicationMode = 0;  // 8: a KvCommunicationMode value
    int64_t m_nMultiTargetMode = 0;    // 16: discovery finds unicast devices
    int64_t m_nMaster = 1;             // 17
    KvString m_sMulticastAddress;      // 18
    KvString m_sDetail1;               // 19: "manufacturer model", kept for the user
    KvString m_sDetail2;               // 20: serial number
    // The camera registry's identification bytes (family, model index) of the
    // camera attached to our device; 0, 0 for other devices.
    uint8_t m_nId[2] = {0, 0};
};

struct KvFindOptions {
    std::vector<KvString> m_Addresses;   // asked by unicast ("a.b.c.d" or "[a.b.c.d]")
    bool m_bBroadcast = false;           // also broadcast on m_Interfaces
    std::vector<KvString> m_Interfaces;  // interface names ("eth0")
    uint32_t m_nAnswerTimeoutMs = 500;
};

class KvDeviceFinder : public KvErrorInterface {
public:
    // Adds the devices that answer to found (none answering is not an error).
    KvResult Find(const KvFindOptions& options, std::vector<KvDeviceRecord>& found);
    // The same, each device appended to the configuration as a new entry; the
    // last one found ends up current.
    KvResult Find(const KvFindOptions& options, KvConfig& config);

    // Writes a record into the configuration's current entry (8 to 12, 16 to 20).
    static KvResult FillEntry(const KvDeviceRecord& record, KvConfig& config);
};
