#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <zlib.h>

#include <cstring>
#include <map>

#include "KvByteOrder.h"
#include "SimGenICamFile.h"
#include "SimGigEDevice.h"

using namespace Gvcp;

namespace {

const SimPeer HOST{0x7F000001, 50000};

// Reads device memory the way a host does: in pieces of at most 536 bytes.
Bytes ReadFile(SimGigEDevice& device, uint32_t address, uint32_t length) {
    Bytes file;
    uint16_t id = 100;
    while (file.size() < length) {
        const size_t rest = length - file.size();
        const auto count =
            static_cast<uint16_t>(std::min<size_t>(MAX_MEMORY_BLOCK, (rest + 3) & ~size_t{3}));
        const uint32_t at = address + static_cast<uint32_t>(file.size());
        const Bytes reply = device.HandlePacket(EncodeReadMemCommand(++id, at, count), HOST,
                                                SimGigEDevice::Clock::now());
        const auto ack = ParseAck(reply);
        if (!ack || ack->m_Header.m_nStatus != Status::SUCCESS) {
            return {};
        }
        const auto data = ParseReadMemAckPayload(ack->m_Payload, at, count);
        if (!data) {
            return {};
        }
        file.insert(file.end(), data->begin(), data->end());
    }
    file.resize(length);
    return file;
}

struct LocalUrl {
    std::string m_sName;
    uint32_t m_nAddress = 0;
    uint32_t m_nLength = 0;
};

LocalUrl ReadUrl(SimGigEDevice& device, uint32_t urlRegister) {
    const Bytes text = ReadFile(device, urlRegister, Reg::URL_SIZE);
    const std::string url(reinterpret_cast<const char*>(text.data()));
    LocalUrl parsed;
    const size_t first = url.find(';'), second = url.find(';', first + 1);
    if (url.rfind("Local:", 0) != 0 || first == std::string::npos || second == std::string::npos) {
        ADD_FAILURE() << "not a local URL: " << url;
        return parsed;
    }
    parsed.m_sName = url.substr(6, first - 6);
    parsed.m_nAddress =
        static_cast<uint32_t>(std::stoul(url.substr(first + 1, second - first - 1), nullptr, 16));
    parsed.m_nLength = static_cast<uint32_t>(std::stoul(url.substr(second + 1), nullptr, 16));
    return parsed;
}

std::string UnzipFirstEntry(const Bytes& zip) {
    if (zip.size() < 30 || zip[0] != 'P' || zip[1] != 'K') {
        return {};
    }
    auto le16 = [&](size_t at) { return uint32_t{zip[at]} | uint32_t{zip[at + 1]} << 8; };
    auto le32 = [&](size_t at) { return le16(at) | le16(at + 2) << 16; };
    const size_t packed = le32(18), size = le32(22), start = 30 + le16(26) + le16(28);
    if (start + packed > zip.size()) {
        return {};
    }
    std::string out(size, '\0');
    z_stream stream{};
    inflateInit2(&stream, -MAX_WBITS);
    stream.next_in = const_cast<Bytef*>(&zip[start]);
    stream.avail_in = static_cast<uInt>(packed);
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(size);
    const int result = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    return result == Z_STREAM_END ? out : std::string();
}

std::string ChildText(xmlNode* node, const char* name) {
    for (xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE &&
            std::strcmp(reinterpret_cast<const char*>(child->name), name) == 0) {
            xmlChar* text = xmlNodeGetContent(child);
            std::string value(reinterpret_cast<const char*>(text));
            xmlFree(text);
            return value;
        }
    }
    return {};
}

}  // namespace

TEST(SimGenICamFile, BothUrlsServeTheFileAndTheZipUnpacksToIt) {
    for (SimXmlVariant first : {SimXmlVariant::PLAIN, SimXmlVariant::ZIP}) {
        SimGigEOptions options;
        options.m_eXml = first;
        SimGigEDevice device(options);
        std::map<std::string, Bytes> files;
        for (uint32_t urlRegister : {Reg::FIRST_URL, Reg::SECOND_URL}) {
            const LocalUrl url = ReadUrl(device, urlRegister);
            files[url.m_sName.substr(url.m_sName.rfind('.') + 1)] =
                ReadFile(device, url.m_nAddress, url.m_nLength);
            if (urlRegister == Reg::FIRST_URL) {
                EXPECT_EQ(url.m_sName,
                          first == SimXmlVariant::ZIP ? "KvSimGigE.zip" : "KvSimGigE.xml");
            }
        }
        ASSERT_EQ(files.size(), 2u);
        const std::string plain(files["xml"].begin(), files["xml"].end());
        EXPECT_EQ(plain, SimGenICamXml());
        EXPECT_EQ(UnzipFirstEntry(files["zip"]), SimGenICamXml());
    }
}

// Every register the file names must exist on the device, with the access it claims:
// a file that points at a missing register breaks every client that loads it.
TEST(SimGenICamFile, EveryRegisterTheFileNamesIsServedWithItsAccess) {
    const std::string_view xml = SimGenICamXml();
    xmlDoc* doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "KvSimGigE.xml", nullptr,
                                XML_PARSE_NONET);
    ASSERT_NE(doc, nullptr) << "the file is not well-formed";
    SimGigEDevice device(SimGigEOptions{});
    auto now = SimGigEDevice::Clock::now();
    uint16_t id = 1;
    const RegisterWrite take{Reg::CCP, Ccp::CONTROL};
    ASSERT_TRUE(
        device.HandlePacket(EncodeWriteRegCommand(id++, std::span(&take, 1)), HOST, now).size());

    int registers = 0;
    std::map<std::string, int> featuresSeen;
    for (xmlNode* node = xmlDocGetRootElement(doc)->children; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE)
            continue;
        const std::string kind = reinterpret_cast<const char*>(node->name);
        xmlChar* nameAttr = xmlGetProp(node, BAD_CAST "Name");
        const std::string name = nameAttr ? reinterpret_cast<const char*>(nameAttr) : "";
        xmlFree(nameAttr);
        featuresSeen[name]++;
        if (kind != "IntReg" && kind != "FloatReg" && kind != "MaskedIntReg" && kind != "StringReg")
            continue;
        ++registers;
        const uint32_t address =
            static_cast<uint32_t>(std::stoul(ChildText(node, "Address"), nullptr, 0));
        const uint32_t length =
            static_cast<uint32_t>(std::stoul(ChildText(node, "Length"), nullptr, 0));
        const std::string access = ChildText(node, "AccessMode");

        const Bytes read = device.HandlePacket(
            EncodeReadMemCommand(id++, address, static_cast<uint16_t>(length)), HOST, now);
        const auto readAck = ParseAck(read);
        ASSERT_TRUE(readAck) << name;
        EXPECT_EQ(readAck->m_Header.m_nStatus, Status::SUCCESS) << name << " cannot be read";
        if (access == "RW" && readAck->m_Header.m_nStatus == Status::SUCCESS) {
            // Writing back what was read must be accepted.
            const Bytes current(readAck->m_Payload.begin() + 4, readAck->m_Payload.end());
            const Bytes write =
                device.HandlePacket(EncodeWriteMemCommand(id++, address, current), HOST, now);
            const auto writeAck = ParseAck(write);
            ASSERT_TRUE(writeAck) << name;
            EXPECT_EQ(writeAck->m_Header.m_nStatus, Status::SUCCESS)
                << name << " refuses its own value";
        }
        if (access == "RO") {
            const Bytes zeros(length, 0);
            const Bytes write =
                device.HandlePacket(EncodeWriteMemCommand(id++, address, zeros), HOST, now);
            const auto writeAck = ParseAck(write);
            ASSERT_TRUE(writeAck) << name;
            EXPECT_NE(writeAck->m_Header.m_nStatus, Status::SUCCESS)
                << name << " is read-only in the file";
        }
    }
    xmlFreeDoc(doc);
    EXPECT_GT(registers, 20);
    for (const char* feature :
         {"Width", "Height", "PixelFormat", "PayloadSize", "AcquisitionMode", "AcquisitionStart",
          "AcquisitionStop", "ExposureTime", "Gain", "GevSCPSPacketSize", "GevHeartbeatTimeout",
          "GevCCP", "GevSCPHostPort", "GevSCDA", "GevCurrentIPAddress", "TLParamsLocked"}) {
        EXPECT_EQ(featuresSeen[feature], 1) << feature;
    }
}
