#include "KvDeviceFinder.h"

#include "GvcpDiscovery.h"
#include "KvConfig.h"

namespace {

KvString WithoutBrackets(const KvString& text) {
    const std::string& s = text.str();
    if (s.size() >= 2 && s.front() == '[' && s.back() == ']') {
        return KvString(s.substr(1, s.size() - 2));
    }
    return text;
}

KvDeviceRecord ToRecord(const GvcpDiscoveredDevice& device) {
    KvDeviceRecord record;
    record.m_sName = device.m_sName;
    record.m_sIp = KvString("[" + device.m_sIp.str() + "]");
    record.m_sMac = device.m_sMac;
    record.m_sAdapterID = device.m_sAdapterID;
    record.m_nCommunicationMode = KvCommunicationMode::GIGE_VISION_SOCKETS;
    record.m_sDetail1 = KvString(device.m_sManufacturer.str() + " " + device.m_sModel.str());
    record.m_sDetail2 = device.m_sSerialNumber;
    record.m_nId[0] = device.m_nCameraId[0];
    record.m_nId[1] = device.m_nCameraId[1];
    return record;
}

}  // namespace

KvResult KvDeviceFinder::Find(const KvFindOptions& options, std::vector<KvDeviceRecord>& found) {
    GvcpDiscovery discovery;
    discovery.SetAnswerTimeout(options.m_nAnswerTimeoutMs);
    std::vector<GvcpDiscoveredDevice> devices;
    if (!options.m_Addresses.empty()) {
        std::vector<KvString> addresses;
        for (const KvString& a : options.m_Addresses) {
            addresses.push_back(WithoutBrackets(a));
        }
        if (discovery.DiscoverUnicast(addresses, devices) != KvCode::OK) {
            return SetErrorInfo(discovery);
        }
    }
    if (options.m_bBroadcast) {
        if (options.m_Interfaces.empty()) {
            return KV_ERROR("A broadcast needs at least one interface", KvCode::INVALID_ARGUMENT);
        }
        if (discovery.DiscoverBroadcast(options.m_Interfaces, devices) != KvCode::OK) {
            return SetErrorInfo(discovery);
        }
    }
    for (const GvcpDiscoveredDevice& device : devices) {
        found.push_back(ToRecord(device));
    }
    ClearErrorInfo();
    return KvCode::OK;
}

KvResult KvDeviceFinder::Find(const KvFindOptions& options, KvConfig& config) {
    std::vector<KvDeviceRecord> found;
    if (const KvResult r = Find(options, found); r != KvCode::OK) {
        return r;
    }
    for (const KvDeviceRecord& record : found) {
        if (config.AddDevice() != KvCode::OK || FillEntry(record, config) != KvCode::OK) {
            return SetErrorInfo(config);
        }
    }
    return KvCode::OK;
}

KvResult KvDeviceFinder::FillEntry(const KvDeviceRecord& record, KvConfig& config) {
    namespace P = KvConfigParam;
    KvResult r = config.SetParameter(P::DEVICE_NAME, record.m_sName);
    if (r == KvCode::OK)
        r = config.SetParameter(P::IP_ADDRESS, record.m_sIp);
    if (r == KvCode::OK)
        r = config.SetParameter(P::MAC_ADDRESS, record.m_sMac);
    if (r == KvCode::OK)
        r = config.SetParameter(P::ADAPTER_ID, record.m_sAdapterID);
    if (r == KvCode::OK)
        r = config.SetParameter(P::COMMUNICATION_MODE, record.m_nCommunicationMode);
    if (r == KvCode::OK)
        r = config.SetParameter(P::MULTI_TARGET_MODE, record.m_nMultiTargetMode);
    if (r == KvCode::OK)
        r = config.SetParameter(P::MASTER, record.m_nMaster);
    if (r == KvCode::OK)
        r = config.SetParameter(P::MULTICAST_ADDRESS, record.m_sMulticastAddress);
    if (r == KvCode::OK)
        r = config.SetParameter(P::DEVICE_DETAIL_1, record.m_sDetail1);
    if (r == KvCode::OK)
        r = config.SetParameter(P::DEVICE_DETAIL_2, record.m_sDetail2);
    return r;
}
