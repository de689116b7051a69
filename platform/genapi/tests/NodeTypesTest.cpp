// Every node kind over one register image: what it reads, what it writes and
// which bytes it touches.
#include <gtest/gtest.h>

#include <cmath>

#include "MemoryPort.h"

using namespace GenApi;

namespace {

const char* kNodes = R"(
  <Category Name="Root"><pFeature>Width</pFeature><pFeature>Sub</pFeature><pFeature>Gain</pFeature></Category>
  <Category Name="Sub"><pFeature>PixelFormat</pFeature></Category>
  <Integer Name="Width" NameSpace="Standard">
    <ToolTip>Image width</ToolTip><Description>Width of the image</Description>
    <Visibility>Expert</Visibility><Streamable>Yes</Streamable>
    <pValue>WidthReg</pValue><Min>16</Min><Max>4096</Max><Inc>16</Inc><Unit>px</Unit>
  </Integer>
  <IntReg Name="WidthReg"><Address>0x100</Address><Length>4</Length><AccessMode>RW</AccessMode>
    <pPort>Device</pPort><Endianess>BigEndian</Endianess></IntReg>
  <IntReg Name="OffsetLE"><Address>0x200</Address><Address>0x4</Address><Length>2</Length>
    <AccessMode>RW</AccessMode><pPort>Device</pPort><Sign>Signed</Sign></IntReg>
  <MaskedIntReg Name="HighNibbleBE"><Address>0x110</Address><Length>4</Length><AccessMode>RW</AccessMode>
    <pPort>Device</pPort><Endianess>BigEndian</Endianess><LSB>3</LSB><MSB>0</MSB></MaskedIntReg>
  <MaskedIntReg Name="SignedFieldLE"><Address>0x114</Address><Length>4</Length><AccessMode>RW</AccessMode>
    <pPort>Device</pPort><LSB>4</LSB><MSB>7</MSB><Sign>Signed</Sign></MaskedIntReg>
  <StructReg Comment="Flags">
    <Address>0x120</Address><Length>4</Length><AccessMode>RW</AccessMode><pPort>Device</pPort>
    <Endianess>BigEndian</Endianess>
    <StructEntry Name="FlagTop"><Bit>0</Bit></StructEntry>
    <StructEntry Name="FlagLow"><Bit>31</Bit></StructEntry>
    <StructEntry Name="FlagMid"><LSB>15</LSB><MSB>8</MSB><AccessMode>RO</AccessMode></StructEntry>
  </StructReg>
  <Float Name="Gain"><pValue>GainReg</pValue><Min>0</Min><Max>24</Max></Float>
  <FloatReg Name="GainReg"><Address>0x130</Address><Length>4</Length><AccessMode>RW</AccessMode>
    <pPort>Device</pPort><Endianess>BigEndian</Endianess></FloatReg>
  <FloatReg Name="Temperature"><Address>0x138</Address><Length>8</Length><AccessMode>RO</AccessMode>
    <pPort>Device</pPort></FloatReg>
  <Converter Name="ExposureMs"><pVariable Name="SCALE">Scale</pVariable>
    <FormulaTo>FROM * SCALE</FormulaTo><FormulaFrom>TO / SCALE</FormulaFrom><pValue>ExposureUs</pValue></Converter>
  <Integer Name="Scale"><Value>1000</Value></Integer>
  <IntReg Name="ExposureUs"><Address>0x140</Address><Length>4</Length><AccessMode>RW</AccessMode>
    <pPort>Device</pPort><Endianess>BigEndian</Endianess></IntReg>
  <IntConverter Name="HalfWidth"><FormulaTo>FROM * 2</FormulaTo><FormulaFrom>TO / 2</FormulaFrom>
    <pValue>WidthReg</pValue></IntConverter>
  <SwissKnife Name="AspectRatio"><pVariable Name="W">Width</pVariable><pVariable Name="H">Height</pVariable>
    <Constant Name="K">2</Constant><Expression Name="HH">H * K</Expression>
    <Formula>W / HH * K</Formula></SwissKnife>
  <IntSwissKnife Name="PayloadSize"><pVariable Name="W">Width</pVariable><pVariable Name="H">Height</pVariable>
    <Formula>W * H + W.Max</Formula></IntSwissKnife>
  <Integer Name="Height"><Value>480</Value></Integer>
  <Boolean Name="ReverseX"><pValue>ReverseReg</pValue><OnValue>7</OnValue><OffValue>3</OffValue></Boolean>
  <IntReg Name="ReverseReg"><Address>0x150</Address><Length>4</Length><AccessMode>RW</AccessMode>
    <pPort>Device</pPort><Endianess>BigEndian</Endianess></IntReg>
  <Enumeration Name="PixelFormat"><pValue>PixelFormatReg</pValue>
    <EnumEntry Name="Mono8"><Value>0x01080001</Value></EnumEntry>
    <EnumEntry Name="Mono16"><Value>0x01100007</Value><Symbolic>Mono16Alias</Symbolic></EnumEntry>
    <EnumEntry Name="Gone"><pIsImplemented>Zero</pIsImplemented><Value>5</Value></EnumEntry>
    <EnumEntry Name="Later"><pIsAvailable>Zero</pIsAvailable><Value>6</Value></EnumEntry>
  </Enumeration>
  <IntReg Name="PixelFormatReg"><Address>0x160</Address><Length>4</Length><AccessMode>RW</AccessMode>
    <pPort>Device</pPort><Endianess>BigEndian</Endianess></IntReg>
  <Integer Name="Zero"><Value>0</Value></Integer>
  <Command Name="Start"><pValue>StartReg</pValue><CommandValue>1</CommandValue></Command>
  <IntReg Name="StartReg"><Address>0x170</Address><Length>4</Length><AccessMode>RW</AccessMode>
    <pPort>Device</pPort><Endianess>BigEndian</Endianess><Cachable>NoCache</Cachable></IntReg>
  <StringReg Name="ModelName"><Address>0x180</Address><Length>8</Length><AccessMode>RW</AccessMode>
    <pPort>Device</pPort></StringReg>
  <String Name="Label"><Value>cam</Value></String>
  <Register Name="Lut"><Address>0x190</Address><Length>3</Length><AccessMode>RW</AccessMode>
    <pPort>Device</pPort></Register>
)";

class NodeTypes : public ::testing::Test {
protected:
    void SetUp() override {
        map._LoadXMLFromString(GenICamFile(kNodes));
        ASSERT_TRUE(map._Connect(&port));
        port.Put32(0x100, 640);
    }
    INode* Node(const char* name) { return map._GetNode(name); }
    CNodeMapRef map;
    MemoryPort port{0x400};
};

}  // namespace

TEST_F(NodeTypes, IntegerOverBigEndianRegisterReadsWritesAndVerifies) {
    CIntegerPtr width = Node("Width");
    EXPECT_EQ(width->GetValue(), 640);
    EXPECT_EQ(width->GetMin(), 16);
    EXPECT_EQ(width->GetMax(), 4096);
    EXPECT_EQ(width->GetInc(), 16);
    EXPECT_EQ(width->GetUnit(), "px");
    width->SetValue(1024);
    EXPECT_EQ(port.Get32(0x100), 1024u);
    EXPECT_THROW(width->SetValue(4112), GenICam::OutOfRangeException);  // above Max
    EXPECT_THROW(width->SetValue(1000), GenICam::OutOfRangeException);  // off the Inc grid
    width->SetValue(1000, false);  // without verification the value goes through
    EXPECT_EQ(port.Get32(0x100), 1000u);
    EXPECT_THROW(width->GetValue(true), GenICam::OutOfRangeException);
    width->FromString("0x400");
    EXPECT_EQ(width->ToString(), "1024");
    EXPECT_THROW(width->FromString("12x"), GenICam::InvalidArgumentException);
}

TEST_F(NodeTypes, NodePropertiesComeFromTheCommonElements) {
    INode* width = Node("Width");
    EXPECT_EQ(width->GetName(), "Width");
    EXPECT_EQ(width->GetName(true), "Std::Width");
    EXPECT_EQ(width->GetToolTip(), "Image width");
    EXPECT_EQ(width->GetDescription(), "Width of the image");
    EXPECT_EQ(width->GetDisplayName(), "Width");
    EXPECT_EQ(width->GetVisibility(), Expert);
    EXPECT_TRUE(width->IsStreamable());
    EXPECT_EQ(width->GetCachingMode(), WriteThrough);
    EXPECT_EQ(Node("StartReg")->GetCachingMode(), NoCache);
    const std::pair<const char*, EInterfaceType> kinds[] = {
        {"Root", intfICategory},
        {"Width", intfIInteger},
        {"Gain", intfIFloat},
        {"ReverseX", intfIBoolean},
        {"Start", intfICommand},
        {"Label", intfIString},
        {"Lut", intfIRegister},
        {"PixelFormat", intfIEnumeration},
        {"EnumEntry_PixelFormat_Mono8", intfIEnumEntry},
        {"Device", intfIPort},
        {"FlagTop", intfIInteger},
        {"AspectRatio", intfIFloat},
        {"PayloadSize", intfIInteger},
    };
    for (auto [name, kind] : kinds) {
        ASSERT_NE(Node(name), nullptr) << name;
        EXPECT_EQ(Node(name)->GetPrincipalInterfaceType(), kind) << name;
    }
}

TEST_F(NodeTypes, RegisterByteOrderSignAndBitFields) {
    // Little-endian 2-byte signed register at the summed address 0x204.
    port.m_Image[0x204] = 0xFE;
    port.m_Image[0x205] = 0xFF;
    CIntegerPtr offset = Node("OffsetLE");
    EXPECT_EQ(offset->GetValue(), -2);
    EXPECT_EQ(offset->GetMin(), -32768);
    EXPECT_EQ(offset->GetMax(), 32767);
    offset->SetValue(0x1234);
    EXPECT_EQ(port.m_Image[0x204], 0x34);
    EXPECT_EQ(port.m_Image[0x205], 0x12);

    // Big-endian bits 0..3 are the top nibble; little-endian bits 4..7 are
    // the high nibble of the first byte, here a signed field.
    port.Put32(0x110, 0xA00000F0);
    port.m_Image[0x114] = 0xF0;
    CIntegerPtr nibble = Node("HighNibbleBE");
    CIntegerPtr field = Node("SignedFieldLE");
    EXPECT_EQ(nibble->GetValue(), 0xA);
    EXPECT_EQ(nibble->GetMax(), 15);
    EXPECT_EQ(field->GetValue(), -1);
    EXPECT_EQ(field->GetMin(), -8);
    nibble->SetValue(0x5);
    EXPECT_EQ(port.Get32(0x110), 0x500000F0u);  // the other bits survive
    field->SetValue(3);
    EXPECT_EQ(port.m_Image[0x114], 0x30);

    // StructEntries share the StructReg's register.
    port.Put32(0x120, 0x80AB0001);
    EXPECT_EQ(CIntegerPtr(Node("FlagTop"))->GetValue(), 1);
    EXPECT_EQ(CIntegerPtr(Node("FlagLow"))->GetValue(), 1);
    EXPECT_EQ(CIntegerPtr(Node("FlagMid"))->GetValue(), 0xAB);
    CIntegerPtr(Node("FlagLow"))->SetValue(0);
    EXPECT_EQ(port.Get32(0x120), 0x80AB0000u);
    EXPECT_EQ(Node("FlagMid")->GetAccessMode(), RO);  // the entry's own AccessMode wins
}

TEST_F(NodeTypes, FloatsConvertersAndFormulas) {
    CFloatPtr gain = Node("Gain");
    gain->SetValue(6.5);
    float stored;
    const uint32_t bits = port.Get32(0x130);
    std::memcpy(&stored, &bits, 4);
    EXPECT_EQ(stored, 6.5f);
    EXPECT_EQ(gain->GetValue(), 6.5);
    EXPECT_THROW(gain->SetValue(25), GenICam::OutOfRangeException);

    const double celsius = 41.25;
    std::memcpy(port.m_Image.data() + 0x138, &celsius, 8);  // little-endian host
    EXPECT_EQ(CFloatPtr(Node("Temperature"))->GetValue(), 41.25);

    CFloatPtr exposure = Node("ExposureMs");
    exposure->SetValue(2.5);
    EXPECT_EQ(port.Get32(0x140), 2500u);
    EXPECT_EQ(exposure->GetValue(), 2.5);
    exposure->SetValue(0.0333);  // 33.3 us takes the nearest integer
    EXPECT_EQ(port.Get32(0x140), 33u);

    CIntegerPtr half = Node("HalfWidth");
    EXPECT_EQ(half->GetValue(), 320);
    half->SetValue(400);
    EXPECT_EQ(port.Get32(0x100), 800u);
    EXPECT_EQ(half->GetMax(), 0x7FFFFFFF);

    EXPECT_DOUBLE_EQ(CFloatPtr(Node("AspectRatio"))->GetValue(), 800.0 / 960 * 2);
    EXPECT_EQ(CIntegerPtr(Node("PayloadSize"))->GetValue(), 800 * 480 + 4096);
    EXPECT_EQ(Node("PayloadSize")->GetAccessMode(), RO);
    EXPECT_THROW(CIntegerPtr(Node("PayloadSize"))->SetValue(1), GenICam::AccessException);
}

TEST_F(NodeTypes, BooleanUsesItsOnAndOffValues) {
    CBooleanPtr reverse = Node("ReverseX");
    port.Put32(0x150, 3);
    EXPECT_FALSE(reverse->GetValue());
    reverse->SetValue(true);
    EXPECT_EQ(port.Get32(0x150), 7u);
    EXPECT_EQ(reverse->ToString(), "true");
    port.Put32(0x150, 5);  // neither value: off
    EXPECT_FALSE(reverse->GetValue(false, true));
}

TEST_F(NodeTypes, EnumerationEntriesSymbolicsAndVerification) {
    CEnumerationPtr format = Node("PixelFormat");
    port.Put32(0x160, 0x01080001);
    EXPECT_EQ(format->ToString(), "Mono8");
    EXPECT_EQ(format->GetCurrentEntry()->GetSymbolic(), "Mono8");

    StringList_t symbolics;
    format->GetSymbolics(symbolics);
    EXPECT_EQ(symbolics, (StringList_t{"Mono8", "Mono16Alias", "Later"}));  // NI left out
    NodeList_t entries;
    format->GetEntries(entries);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1]->GetName(), "EnumEntry_PixelFormat_Mono16");

    format->FromString("Mono16Alias");
    EXPECT_EQ(port.Get32(0x160), 0x01100007u);
    EXPECT_EQ(format->GetIntValue(), 0x01100007);
    EXPECT_EQ(CEnumEntryPtr(format->GetEntryByName("Mono8"))->GetValue(), 0x01080001);
    EXPECT_EQ(format->GetEntryByName("Mono12"), nullptr);
    EXPECT_THROW(format->FromString("Mono12"), GenICam::InvalidArgumentException);
    EXPECT_THROW(format->SetIntValue(42), GenICam::OutOfRangeException);
    EXPECT_THROW(format->SetIntValue(6), GenICam::AccessException);  // entry not available
    format->SetIntValue(42, false);
    EXPECT_EQ(format->GetCurrentEntry(), nullptr);
    EXPECT_THROW(format->ToString(), GenICam::RuntimeException);
}

TEST_F(NodeTypes, CommandWritesItsValueAndIsDoneWhenTheRegisterClears) {
    CCommandPtr start = Node("Start");
    start->Execute();
    EXPECT_EQ(port.Get32(0x170), 1u);
    EXPECT_FALSE(start->IsDone());
    port.Put32(0x170, 0);  // the device clears it
    EXPECT_TRUE(start->IsDone());
}

TEST_F(NodeTypes, StringsAndRawRegisters) {
    CStringPtr model = Node("ModelName");
    std::memcpy(port.m_Image.data() + 0x180, "VKR-Q1\0\xff", 8);
    EXPECT_EQ(model->GetValue(), "VKR-Q1");
    EXPECT_EQ(model->GetMaxLength(), 8);
    model->SetValue("VKR-T2");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(port.m_Image.data() + 0x180), 8),
              std::string("VKR-T2\0\0", 8));
    EXPECT_THROW(model->SetValue("too long a name"), GenICam::OutOfRangeException);
    // A register filled to its end has no terminating zero.
    std::memcpy(port.m_Image.data() + 0x180, "ABCDEFGH", 8);
    EXPECT_EQ(model->GetValue(false, true), "ABCDEFGH");

    CStringPtr label = Node("Label");
    EXPECT_EQ(label->GetValue(), "cam");
    label->SetValue("left");
    EXPECT_EQ(label->GetValue(), "left");

    CRegisterPtr lut = Node("Lut");
    const uint8_t bytes[3] = {1, 2, 0xFF};
    lut->Set(bytes, 3);
    EXPECT_EQ(lut->ToString(), "0102ff");
    uint8_t back[3] = {};
    lut->Get(back, 3);
    EXPECT_EQ(back[2], 0xFF);
    EXPECT_EQ(lut->GetAddress(), 0x190);
    EXPECT_THROW(lut->Get(back, 2), GenICam::InvalidArgumentException);
}
