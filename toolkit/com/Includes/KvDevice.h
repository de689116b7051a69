#pragma once
// The toolkit's network device: the control side of one GigE Vision device
// (our own network video-interface device or any other), reached over GVCP.
//
// Connect reads the current entry of a connection configuration: IP address 10 ("[a.b.c.d]"), MAC
// 11, answer time-out 2, retry count 7, communication mode 8, heartbeat interval 14 and expiration
// 15, multi-target mode 16 and master flag 17. An entry in multicast mode (16 = 1) whose master
// flag is 0 is a multicast slave: it connects without the control privilege and only monitors the
// device; parameter 24 tells callers which kind of connection they hold.
//
// Device parameters (identifiers of this repository):
//   15 "Communication Mode"   integer, read-only: the communication mode the
//                             connection speaks (the entry's GigE Vision mode,
//                             GigE Vision sockets when the entry names none);
//                             0 while not connected. Below 4 would mean the
//                             video-interface device's own first protocol.
//   16 "Device Name"          text: the device's user-defined name; filled from
//                             the device at connect when empty, written to the
//                             device by SaveConfiguration with saveName.
//   19 "Connection Losses"    integer: how often the device was lost since it
//                             was last set to 0 (callers clear it around a
//                             connection and look at it afterwards).
//   24 "Control"              integer, read-only: 0 exactly while connected as
//                             a multicast slave, 1 otherwise.
//   26 "Data Channels"        integer, read-only: stream channels the device
//                             announces, read at connect; 0 while not connected.
//   32 "Command Port"         uint16: local port of the control channel (0 = the
//                             system chooses); reads back the port in use.
//   33 "Interrupt Port"       uint16: local port of the interrupt channel.
//   34 "Data Port"            uint16: first local port of the data channels.
//   38 "Automatic Packet Size" bool: let the data channels find the packet size.
// 33, 34 and 38 are kept for the data and interrupt channels, which are not
// part of this class yet.
//
// Threads: calls may come from any thread; the heartbeat thread raises the
// event callback when the device is lost.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "KvPersistentRepository.h"

class GvcpClient;
class KvConfig;

namespace KvDeviceParam {
inline constexpr uint32_t COMMUNICATION_MODE = 15;
inline constexpr uint32_t DEVICE_NAME = 16;
inline constexpr uint32_t CONNECTION_LOSSES = 19;
inline constexpr uint32_t CONTROL = 24;
inline constexpr uint32_t DATA_CHANNELS = 26;
inline constexpr uint32_t COMMAND_PORT = 32;
inline constexpr uint32_t INTERRUPT_PORT = 33;
inline constexpr uint32_t DATA_PORT = 34;
inline constexpr uint32_t AUTOMATIC_PACKET_SIZE = 38;
}  // namespace KvDeviceParam

class KvDevice : public KvPersistentRepository {
public:
    // Connect flags.
    // Give the device the entry's IP address (force IP to the entry's MAC) first.
    static constexpr uint32_t FLAG_SET_IP_ON_CONNECT = 0x0001;
    // After an error on a data channel, do not check the link nor reconnect.
    static constexpr uint32_t FLAG_NO_DATA_LINK_CHECK_ON_ERROR = 0x0002;
    // Send no keep-alive packets on the interrupt port.
    static constexpr uint32_t FLAG_NO_INTERRUPT_KEEP_ALIVE = 0x0200;
    // A multicast master that does not join the group itself: no image data.
    static constexpr uint32_t FLAG_MULTICAST_NO_DATA = 0x0400;

    // Callback types of RegisterCallback.
    static constexpr uint32_t CALLBACK_EVENT = 0;
    static constexpr uint32_t CALLBACK_INTERRUPT = 1;
    // Event codes given to the event callback.
    static constexpr uint32_t EVENT_CONNECTION_LOST =
        1;  // data: 35 silent device, 34 privilege lost

    // Runs on the thread that noticed the event; must not block for long.
    using Callback = void (*)(void* context, uint32_t event, uint32_t data);

    KvDevice();
    ~KvDevice() override;

    // Connects to the configuration's current entry.
    KvResult Connect(const KvConfig& config, uint32_t flags = 0);
    // Releases the control privilege (when held) and closes the channel; 0
    // when not connected.
    KvResult Disconnect();
    // False once the device was lost, until the next Connect.
    bool IsConnected() const;
    uint32_t GetConnectFlags() const { return m_nFlags; }

    // The plain GigE Vision control channel offers no way to reset a device
    // nor to keep its configuration or state: both answer 26 until our device
    // protocol carries them. SaveConfiguration keeps the name (parameter 16)
    // in the device's user-name register.
    KvResult Reset();
    KvResult SaveConfiguration(bool saveIp, bool saveName, bool saveConfig, bool saveState);

    // Register values in host order. flags are reserved (pass 0).
    KvResult ReadRegister(uint32_t address, uint32_t* value, uint32_t flags = 0);
    KvResult WriteRegister(uint32_t address, uint32_t value, uint32_t flags = 0);
    // count registers at the given addresses, in as few requests as fit.
    KvResult ReadRegisters(const uint32_t* addresses, uint32_t* values, uint32_t count,
                           uint32_t flags = 0);
    // *count bytes in, the bytes read out (all of them on success). Address a
    // multiple of 4; sent in pieces of at most 536 bytes.
    KvResult ReadMemory(uint32_t address, void* buffer, uint32_t* count, uint32_t flags = 0);
    // Address and size multiples of 4.
    KvResult WriteMemory(uint32_t address, const void* buffer, uint32_t size, uint32_t flags = 0);

    // Identification of the camera attached to our device: id[0] family,
    // id[1] model index, id[2] and id[3] feature bytes (0 so far). 26 on
    // devices that are not ours.
    KvResult GetId(uint8_t id[4]);

    // One callback per type; a null callback removes it.
    KvResult RegisterCallback(uint32_t type, Callback callback, void* context);

protected:
    // Refuses user writes of 15, 24 and 26 with 7.
    KvResult OnParameterSet(uint32_t index, uint32_t id, const KvString& name, bool bCheckOnly,
                            const KvString& textValue, int64_t intValue, double realValue) override;

private:
    struct Registration {
        Callback m_pCallback = nullptr;
        void* m_pContext = nullptr;
    };

    void RegisterParameters();
    // 23 (and the record) unless connected; 35 once the device was lost.
    KvResult CheckConnected();
    KvResult ForceIp(const KvString& ip, const KvString& mac);
    KvResult ReadDeviceFacts();
    void OnLoss(KvResult code);
    void Raise(uint32_t type, uint32_t event, uint32_t data);
    // Sets a read-only parameter of this repository from the inside.
    void Store(uint32_t id, int64_t value);

    std::unique_ptr<GvcpClient> m_pClient;
    std::atomic<bool> m_bConnected{false};
    std::atomic<bool> m_bLost{false};
    bool m_bOurDevice = false;  // carries our extension marker
    uint32_t m_nFlags = 0;
    mutable std::mutex m_mCallbacks;
    Registration m_Callbacks[2];
};
