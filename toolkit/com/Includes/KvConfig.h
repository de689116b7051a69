#pragma once
// The connection configuration: a list of device entries, one of which is
// current, with the connection settings of each entry.
//
// The parameters 2 to 20 read and write the current entry; 0 answers the
// number of entries and 1 is the position of the current entry (writing it
// selects another entry). While the list is empty the entry parameters read
// their defaults and refuse writes with 28.
//
// XML: SaveToXML writes every entry into one section at the document's
// current element, replacing an earlier section:
//
//   <KvConfig version="1" current="0">
//     <device>
//       <parameter id="2" name="Answer Timeout">500</parameter>
//       ...
//     </device>
//   </KvConfig>
//
// LoadFromXML reads such a section back: 6 when the current element holds
// none. Values are checked like any write; a single bad value refuses the
// whole file and leaves the configuration as it was.
//
// Threads: every call is safe from any thread.

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "KvPersistentRepository.h"

// Parameter identifiers of the configuration.
namespace KvConfigParam {
inline constexpr uint32_t DEVICE_COUNT = 0;          // integer, read-only
inline constexpr uint32_t CURRENT_DEVICE = 1;        // integer, position of the current entry
inline constexpr uint32_t ANSWER_TIMEOUT = 2;        // integer, ms to wait for an acknowledge
inline constexpr uint32_t FIRST_PACKET_TIMEOUT = 3;  // integer, ms; 0 = only the request time-out
inline constexpr uint32_t PACKET_TIMEOUT = 4;        // integer, ms between two packets of an image
inline constexpr uint32_t REQUEST_TIMEOUT = 5;       // integer, ms for a whole image
inline constexpr uint32_t PACKET_SIZE = 6;           // integer, bytes of an IP datagram
inline constexpr uint32_t RETRY_COUNT = 7;           // integer, command retries after a time-out
inline constexpr uint32_t COMMUNICATION_MODE = 8;    // enumeration, see KvCommunicationMode
inline constexpr uint32_t ADAPTER_ID = 9;            // text, the host network adapter (KvAdapterID)
inline constexpr uint32_t IP_ADDRESS = 10;           // text "[a.b.c.d]" (or empty)
inline constexpr uint32_t MAC_ADDRESS = 11;          // text
inline constexpr uint32_t DEVICE_NAME = 12;          // text
inline constexpr uint32_t CAMERA_TYPE = 13;          // text, camera registry name
inline constexpr uint32_t HEARTBEAT_INTERVAL = 14;   // integer, ms
inline constexpr uint32_t HEARTBEAT_EXPIRATION = 15;  // integer, ms
inline constexpr uint32_t MULTI_TARGET_MODE =
    16;                                 // integer: 0 unicast, 1 multicast, 2 multi-unicast
inline constexpr uint32_t MASTER = 17;  // integer 0 or 1
inline constexpr uint32_t MULTICAST_ADDRESS = 18;  // text "[a.b.c.d]"
inline constexpr uint32_t DEVICE_DETAIL_1 = 19;    // text kept unchanged for the device finder
inline constexpr uint32_t DEVICE_DETAIL_2 = 20;    // text kept unchanged for the device finder
inline constexpr uint32_t COUNT = 21;
}  // namespace KvConfigParam

// How the host reaches a device (parameter 8). "Sockets" modes use ordinary
// UDP sockets of the host, whose local ports the user may choose (0 lets the
// system choose); "driver" modes go through the capture driver, which owns
// its ports.
namespace KvCommunicationMode {
inline constexpr int64_t NONE = 0;  // "None": no device detected yet
// "ZE Redeze Sockets": the video-interface device's own protocol over sockets.
inline constexpr int64_t REDEZE_SOCKETS = 1;
// "ZE Redeze Driver": the same protocol through the capture driver.
inline constexpr int64_t REDEZE_DRIVER = 2;
// "ZE Redeze Legacy": first-generation firmware, which answers only on its
// fixed ports.
inline constexpr int64_t REDEZE_LEGACY = 3;
// "ZE Redeze Compatibility Sockets": newer firmware spoken to in the
// first-generation protocol, over sockets.
inline constexpr int64_t REDEZE_COMPATIBILITY_SOCKETS = 4;
// "GigE Vision Driver": GigE Vision control and stream through the driver.
inline constexpr int64_t GIGE_VISION_DRIVER = 5;
// "GigE Vision Sockets": GigE Vision control and stream over sockets.
inline constexpr int64_t GIGE_VISION_SOCKETS = 6;

// The modes in which the GigE Vision (GenICam) path can be chosen.
constexpr bool IsGigEVision(int64_t mode) {
    return mode == GIGE_VISION_DRIVER || mode == GIGE_VISION_SOCKETS;
}
// The modes in which the host's network ports can be chosen.
constexpr bool HasSelectablePorts(int64_t mode) {
    return mode == REDEZE_SOCKETS || mode == REDEZE_COMPATIBILITY_SOCKETS ||
           mode == GIGE_VISION_SOCKETS;
}
}  // namespace KvCommunicationMode

class KvConfig : public KvPersistentRepository {
public:
    KvConfig();

    // Appends an entry holding the defaults and makes it current.
    KvResult AddDevice();
    // Deletes the current entry; the entry that took its place becomes
    // current, or the new last one when the last was deleted. 6 when empty.
    KvResult DeleteDevice();
    // Navigation; 6 (current entry unchanged) when there is no such entry.
    KvResult GoFirst();
    KvResult GoLast();
    KvResult GoNext();
    KvResult GoPrevious();
    // Makes the first entry whose device name (parameter 12) equals the name
    // current and answers 0; 6 when there is none (current entry unchanged).
    KvResult FindDeviceByName(const KvString& name);

    size_t GetDeviceCount() const;
    // Position of the current entry; 0 when the list is empty.
    size_t GetCurrentDevice() const;

    KvResult SaveToXML(KvXMLDocument& doc) const override;
    KvResult LoadFromXML(KvXMLDocument& doc) override;

    // The element holding the configuration in XML documents.
    static constexpr const char* XML_SECTION = "KvConfig";

protected:
    KvResult OnParameterSet(uint32_t index, uint32_t id, const KvString& name, bool bCheckOnly,
                            const KvString& textValue, int64_t intValue, double realValue) override;
    KvResult OnParameterGet(uint32_t index, uint32_t id, const KvString& name) override;

private:
    using Entry = std::array<KvString, KvConfigParam::COUNT>;

    void RegisterParameters();
    // Parameters 2 to 20, the ones each entry holds.
    static bool IsEntryParameterId(uint32_t id) {
        return id > KvConfigParam::CURRENT_DEVICE && id < KvConfigParam::COUNT;
    }
    bool HasCurrent() const { return m_nCurrent < m_Entries.size(); }
    // Copies the current entry (or the defaults) into the stored values, so
    // that pages reading parameter snapshots see the current entry.
    void MirrorAll();
    void Mirror(uint32_t id);
    KvResult Select(size_t position);
    KvResult NoEntry(const char* what);
    // Reads a section into this (fresh) configuration; the section is the
    // document's current element.
    KvResult ReadSection(KvXMLDocument& doc);
    KvResult ReadDevice(KvXMLDocument& doc);
    void TakeEntriesFrom(KvConfig& other);

    mutable std::recursive_mutex m_mEntries;
    std::vector<Entry> m_Entries;
    Entry m_Defaults;       // what a new entry holds, in the parameters' text form
    size_t m_nCurrent = 0;  // meaningful only while m_Entries is not empty
    int m_nMirroring = 0;   // non-zero while stored values are refreshed from an entry
};
