// Access modes, the register cache and its invalidation, and the guards that
// keep a hostile file from looping or recursing without end.
#include <gtest/gtest.h>

#include "MemoryPort.h"

using namespace GenApi;

namespace {

std::string Reg(const char* name, int address, const char* access, const char* extra = "") {
    return std::string("<IntReg Name=\"") + name + "\"><Address>" + std::to_string(address) +
           "</Address><Length>4</Length><AccessMode>" + access +
           "</AccessMode><pPort>Device</pPort><Endianess>BigEndian</Endianess>" + extra +
           "</IntReg>\n";
}

struct Loaded {
    explicit Loaded(const std::string& nodes) {
        map._LoadXMLFromString(GenICamFile(nodes));
        map._Connect(&port);
    }
    CIntegerPtr Int(const char* name) { return map._GetNode(name); }
    CNodeMapRef map;
    MemoryPort port{0x100};
};

}  // namespace

TEST(Access, ModesFollowImplementedAvailableLockedRegisterAndImposed) {
    Loaded m(
        Reg("Rw", 0, "RW") + Reg("Ro", 4, "RO") + Reg("Wo", 8, "WO") + Reg("Flag", 12, "RW") +
        R"(<Integer Name="NotImplemented"><pIsImplemented>Flag</pIsImplemented><pValue>Rw</pValue></Integer>
                <Integer Name="NotAvailable"><pIsAvailable>Flag</pIsAvailable><pValue>Rw</pValue></Integer>
                <Integer Name="Locked"><pIsLocked>Flag</pIsLocked><pValue>Rw</pValue></Integer>
                <Integer Name="LockedWo"><pIsLocked>Flag</pIsLocked><pValue>Wo</pValue></Integer>
                <Integer Name="ImposedRo"><ImposedAccessMode>RO</ImposedAccessMode><pValue>Rw</pValue></Integer>
                <Integer Name="ImposedWoOnRo"><ImposedAccessMode>WO</ImposedAccessMode><pValue>Ro</pValue></Integer>
                <Integer Name="OnRo"><pValue>Ro</pValue></Integer>
                <Integer Name="Literal"><Value>3</Value></Integer>
                <IntSwissKnife Name="Knife"><Formula>1</Formula></IntSwissKnife>
                <Category Name="Cat"/>
                <IntReg Name="NoPort"><Address>0</Address><Length>4</Length><AccessMode>RW</AccessMode></IntReg>)");
    struct Case {
        const char* node;
        EAccessMode whenFlagIs0, whenFlagIs1;
    };
    const Case cases[] = {
        {"Rw", RW, RW},
        {"Ro", RO, RO},
        {"Wo", WO, WO},
        {"NotImplemented", NI, RW},
        {"NotAvailable", NA, RW},
        {"Locked", RW, RO},
        {"LockedWo", WO, NA},
        {"ImposedRo", RO, RO},
        {"ImposedWoOnRo", NA, NA},
        {"OnRo", RO, RO},
        {"Literal", RW, RW},
        {"Knife", RO, RO},
        {"Cat", RO, RO},
        {"NoPort", NA, NA},
    };
    for (uint32_t flag : {0u, 1u}) {
        m.port.Put32(12, flag);
        m.map._InvalidateNodes();
        for (const Case& c : cases) {
            EXPECT_EQ(m.map._GetNode(c.node)->GetAccessMode(), flag ? c.whenFlagIs1 : c.whenFlagIs0)
                << c.node << " with flag " << flag;
        }
    }
    // The port's own mode narrows every register on it.
    m.port.m_eAccess = RO;
    EXPECT_EQ(m.map._GetNode("Rw")->GetAccessMode(), RO);
    EXPECT_EQ(m.map._GetNode("Wo")->GetAccessMode(), NA);
}

TEST(Access, ForbiddenTransfersRaiseAccessExceptionsAndTouchNothing) {
    Loaded m(Reg("Ro", 0, "RO") + Reg("Wo", 4, "WO") +
             "<Integer Name='Off'><pIsAvailable>Zero</pIsAvailable><pValue>Wo</pValue></Integer>"
             "<Integer Name='Zero'><Value>0</Value></Integer>");
    EXPECT_THROW(m.Int("Ro")->SetValue(1), GenICam::AccessException);
    EXPECT_THROW(m.Int("Wo")->GetValue(), GenICam::AccessException);
    EXPECT_THROW(m.Int("Off")->SetValue(1), GenICam::AccessException);
    EXPECT_EQ(m.port.m_nWrites, 0);
    CNodeMapRef unconnected;
    unconnected._LoadXMLFromString(GenICamFile(Reg("Rw", 0, "RW")));
    EXPECT_THROW(CIntegerPtr(unconnected._GetNode("Rw"))->GetValue(), GenICam::AccessException);
}

TEST(Cache, ModesDecideWhetherAReadReachesTheDevice) {
    Loaded m(Reg("Through", 0, "RW") + Reg("Around", 4, "RW", "<Cachable>WriteAround</Cachable>") +
             Reg("None", 8, "RW", "<Cachable>NoCache</Cachable>"));
    struct Case {
        const char* node;
        int readsAfterWrite;  // device reads of GetValue right after SetValue
        int readsOfSecondGet;
    };
    for (const Case& c : {Case{"Through", 0, 0}, Case{"Around", 1, 0}, Case{"None", 1, 1}}) {
        CIntegerPtr n = m.Int(c.node);
        n->SetValue(7);
        int before = m.port.m_nReads;
        EXPECT_EQ(n->GetValue(), 7) << c.node;
        EXPECT_EQ(m.port.m_nReads - before, c.readsAfterWrite) << c.node;
        before = m.port.m_nReads;
        n->GetValue();
        EXPECT_EQ(m.port.m_nReads - before, c.readsOfSecondGet) << c.node;
    }
    // ignoreCache always asks the device, and a value changed behind the
    // cache's back shows only then.
    m.port.Put32(0, 99);
    EXPECT_EQ(m.Int("Through")->GetValue(), 7);
    EXPECT_EQ(m.Int("Through")->GetValue(false, true), 99);
    EXPECT_EQ(m.Int("Through")->GetValue(), 99);
}

TEST(Cache, InvalidatorsPollingAndBytesSharedAtOneAddress) {
    Loaded m(
        Reg("Mode", 0, "RW") + Reg("Status", 4, "RO", "<pInvalidator>ModeFront</pInvalidator>") +
        Reg("Temp", 8, "RO", "<PollingTime>1000</PollingTime>") +
        "<Integer Name='ModeFront'><pValue>Mode</pValue></Integer>"
        R"(<StructReg Comment="Bits"><Address>12</Address><Length>4</Length><AccessMode>RW</AccessMode>
                  <pPort>Device</pPort><Endianess>BigEndian</Endianess>
                  <StructEntry Name="A"><Bit>31</Bit></StructEntry>
                  <StructEntry Name="B"><Bit>30</Bit></StructEntry></StructReg>
                <MaskedIntReg Name="AlsoA"><Address>12</Address><Length>4</Length><AccessMode>RW</AccessMode>
                  <pPort>Device</pPort><Endianess>BigEndian</Endianess><Bit>31</Bit></MaskedIntReg>)");
    // Writing the register below ModeFront changes ModeFront, so Status,
    // which names ModeFront as invalidator, is read again.
    m.port.Put32(4, 1);
    EXPECT_EQ(m.Int("Status")->GetValue(), 1);
    m.port.Put32(4, 2);
    EXPECT_EQ(m.Int("Status")->GetValue(), 1);
    m.Int("Mode")->SetValue(5);
    EXPECT_EQ(m.Int("Status")->GetValue(), 2);

    m.port.Put32(8, 20);
    EXPECT_EQ(m.Int("Temp")->GetValue(), 20);
    m.port.Put32(8, 21);
    m.map._Poll(999);
    EXPECT_EQ(m.Int("Temp")->GetValue(), 20);
    m.map._Poll(1);
    EXPECT_EQ(m.Int("Temp")->GetValue(), 21);

    // Entries on one register share its cached bytes: writing A keeps B's
    // bit (read-modify-write) and AlsoA sees the new bytes without a read.
    m.port.Put32(12, 0x2);
    EXPECT_EQ(m.Int("B")->GetValue(), 1);
    m.Int("A")->SetValue(1);
    EXPECT_EQ(m.port.Get32(12), 0x3u);
    const int reads = m.port.m_nReads;
    EXPECT_EQ(m.Int("AlsoA")->GetValue(), 1);
    EXPECT_EQ(m.Int("B")->GetValue(), 1);
    EXPECT_EQ(m.port.m_nReads, reads);
    // Invalidating a node drops the bytes of what it is built on.
    m.port.Put32(0, 8);
    m.map._GetNode("ModeFront")->InvalidateNode();
    EXPECT_EQ(m.Int("ModeFront")->GetValue(), 8);
}

TEST(Hostile, CyclesAndExplodingGraphsRaiseInsteadOfHanging) {
    std::string chain;
    // N0 reads N1 twice, N1 reads N2 twice... 2^60 evaluations if unbounded.
    for (int i = 0; i < 60; ++i) {
        chain += "<IntSwissKnife Name='N" + std::to_string(i) + "'><pVariable Name='A'>N" +
                 std::to_string(i + 1) + "</pVariable><Formula>A + A</Formula></IntSwissKnife>";
    }
    chain += "<Integer Name='N60'><Value>1</Value></Integer>";
    Loaded m(chain + R"(
        <Integer Name="Self"><pValue>Self</pValue></Integer>
        <Integer Name="P"><pValue>Q</pValue></Integer><Integer Name="Q"><pValue>P</pValue></Integer>
        <Integer Name="Avail"><pIsAvailable>Avail</pIsAvailable><Value>1</Value></Integer>
        <IntSwissKnife Name="Loop"><pVariable Name="X">Loop</pVariable><Formula>X + 1</Formula></IntSwissKnife>
        <Integer Name="Dangling"><pValue>Nowhere</pValue></Integer>
        <IntReg Name="Huge"><Address>0</Address><Length>0x7FFFFFFFFFFFFFFF</Length><AccessMode>RW</AccessMode>
          <pPort>Device</pPort></IntReg>
        <Register Name="Big"><Address>0</Address><Length>0x7FFFFFFFFFFFFFFF</Length><AccessMode>RW</AccessMode>
          <pPort>Device</pPort></Register>
        <IntReg Name="FarAway"><Address>0x7FFFFFFFFFFFFFFF</Address><Address>0x7FFFFFFFFFFFFFFF</Address>
          <Length>4</Length><AccessMode>RW</AccessMode><pPort>Device</pPort></IntReg>)");
    EXPECT_THROW(m.Int("N0")->GetValue(), GenICam::LogicalErrorException);
    EXPECT_EQ(m.Int("N50")->GetValue(), 1024);  // a small enough part still works
    for (const char* name : {"Self", "P", "Loop"}) {
        EXPECT_THROW(m.Int(name)->GetValue(), GenICam::LogicalErrorException) << name;
    }
    // Reading a node's value never needs its own access mode, so a node may
    // name itself as pIsAvailable without forming a cycle.
    EXPECT_EQ(m.map._GetNode("Avail")->GetAccessMode(), RW);
    EXPECT_EQ(m.map._GetNode("Dangling")->GetAccessMode(), NA);
    EXPECT_THROW(m.Int("Dangling")->GetValue(), GenICam::AccessException);
    EXPECT_THROW(m.Int("Huge")->GetValue(), GenICam::PropertyException);
    EXPECT_THROW(CRegisterPtr(m.map._GetNode("Big"))->ToString(), GenICam::PropertyException);
    EXPECT_THROW(m.Int("FarAway")->GetValue(), GenICam::RuntimeException);  // the port refuses
    // After all that the map still works.
    EXPECT_EQ(m.Int("N60")->GetValue(), 1);
}
