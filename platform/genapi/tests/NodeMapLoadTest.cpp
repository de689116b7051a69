// Loading files, finding nodes, typed pointers and the exceptions' records.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <dlfcn.h>

#include "MemoryPort.h"

using namespace GenApi;

TEST(NodeMapLoad, ToleratesGroupsForwardReferencesAndElementsItDoesNotKnow) {
    // Schema 1.0 name space, a node that refers forward, nested Groups, an
    // unknown element, a legacy element and an Extension.
    const std::string xml = R"(<?xml version="1.0"?>
<RegisterDescription ModelName="M" VendorName="V" SchemaMajorVersion="1" SchemaMinorVersion="0"
    xmlns="http://www.genicam.org/GenApi/Version_1_0">
  <Category Name="Root"><pFeature>Width</pFeature><pFeature>Missing</pFeature></Category>
  <Group Comment="outer"><Group Comment="inner">
    <Integer Name="Width"><Extension><Anything a="1"/></Extension><pValue>WidthReg</pValue></Integer>
  </Group></Group>
  <IntReg Name="WidthReg"><Address>0x10</Address><Length>4</Length><AccessMode>RW</AccessMode>
    <pPort>Device</pPort><Endianess>BigEndian</Endianess></IntReg>
  <FancyNewNode Name="Future"><Whatever>1</Whatever></FancyNewNode>
  <TextDesc Name="Legacy"/>
  <Port Name="Device"/>
</RegisterDescription>)";
    CNodeMapRef map;
    map._LoadXMLFromString(xml);
    MemoryPort port(0x100);
    port.Put32(0x10, 640);
    ASSERT_TRUE(map._Connect(&port));

    CIntegerPtr width = map._GetNode("Width");
    ASSERT_TRUE(width.IsValid());
    EXPECT_EQ(width->GetValue(), 640);
    EXPECT_EQ(map._GetNode("Future")->GetPrincipalInterfaceType(), intfIBase);
    EXPECT_NE(map._GetNode("Legacy"), nullptr);
    EXPECT_EQ(map._GetNode("Nothing"), nullptr);
    EXPECT_EQ(map._GetRootAttribute("VendorName"), "V");

    CCategoryPtr root = map._GetNode("Root");
    FeatureList_t features;
    root->GetFeatures(features);
    ASSERT_EQ(features.size(), 1u);  // the missing name is skipped
    EXPECT_EQ(features[0]->GetNode()->GetName(), "Width");

    NodeList_t nodes;
    map._GetNodes(nodes);
    EXPECT_EQ(nodes.size(), 6u);
    EXPECT_EQ(nodes[1]->GetName(), "Width");  // file order, groups flattened
}

TEST(NodeMapLoad, RefusesWhatIsNotAGenICamFileWithWhereItFailed) {
    const char* bad[] = {
        "",
        "plain text",
        "<RegisterDescription>",                                    // not well-formed
        "<html><body/></html>",                                     // another root
        "<RegisterDescription xmlns='http://example.org/other'/>",  // another name space
        "<!DOCTYPE RegisterDescription [<!ENTITY a 'aaaa'>]><RegisterDescription/>",
        "<RegisterDescription><Integer Name='A'/><Float Name='A'/></RegisterDescription>",
    };
    for (const char* xml : bad) {
        CNodeMapRef map;
        try {
            map._LoadXMLFromString(xml);
            ADD_FAILURE() << "loaded: " << xml;
        } catch (const GenICam::RuntimeException& e) {
            EXPECT_GT(std::strlen(e.GetDescription()), 10u) << xml;
            EXPECT_NE(std::string(e.GetSourceFileName()).find(".cpp"), std::string::npos);
            EXPECT_GT(e.GetSourceLine(), 0u);
        }
        EXPECT_FALSE(map._IsLoaded());
    }
}

TEST(NodeMapLoad, SecondLoadIsRefusedUntilDestroyed) {
    CNodeMapRef map;
    map._LoadXMLFromString(GenICamFile(""));
    EXPECT_THROW(map._LoadXMLFromString(GenICamFile("")), GenICam::LogicalErrorException);
    map._Destroy();
    EXPECT_NO_THROW(map._LoadXMLFromString(GenICamFile("")));
}

TEST(NodeMapLoad, FindsVendorModelFilesBelowGenicamRoot) {
    const auto root =
        std::filesystem::temp_directory_path() / ("genapi-repo-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "xml" / "GenApi" / "Varkel");
    std::ofstream(root / "xml" / "GenApi" / "Varkel" / "VKR-Q1.xml")
        << GenICamFile("<Integer Name='Answer'><Value>42</Value></Integer>");
    ::setenv("GENICAM_ROOT", root.c_str(), 1);

    CNodeMapRef map;
    map._LoadXMLFromFile("Varkel", "VKR-Q1");
    EXPECT_EQ(CIntegerPtr(map._GetNode("Answer"))->GetValue(), 42);

    CNodeMapRef other;
    EXPECT_THROW(other._LoadXMLFromFile("Varkel", "VKR-T2"), GenICam::RuntimeException);
    for (auto [vendor, model] : {std::pair{"..", "x"}, {"Varkel", "../../etc/passwd"}, {"", "m"}}) {
        EXPECT_THROW(other._LoadXMLFromFile(vendor, model), GenICam::InvalidArgumentException);
    }
    ::unsetenv("GENICAM_ROOT");
    EXPECT_THROW(other._LoadXMLFromFile("Varkel", "VKR-Q1"), GenICam::RuntimeException);
    std::filesystem::remove_all(root);
}

TEST(NodeMapLoad, TypedPointersAreEmptyForOtherKindsAndRaiseWhenUsed) {
    CNodeMapRef map;
    map._LoadXMLFromString(GenICamFile("<Float Name='Gain'><Value>1.5</Value></Float>"));
    CIntegerPtr asInteger = map._GetNode("Gain");
    CFloatPtr asFloat = map._GetNode("Gain");
    CIntegerPtr missing = map._GetNode("Width");
    EXPECT_FALSE(asInteger.IsValid());
    EXPECT_TRUE(asFloat.IsValid());
    EXPECT_EQ(asFloat->GetValue(), 1.5);
    try {
        missing->GetValue();
        FAIL();
    } catch (const GenICam::LogicalErrorException& e) {
        EXPECT_STREQ(e.GetDescription(), "NULL poiner dereferenced");
        EXPECT_NE(std::string(e.GetSourceFileName()).find("Pointer.h"), std::string::npos);
    }
    CNodePtr node = asFloat;  // widening keeps the node
    EXPECT_EQ(node->GetName(), "Gain");
}

TEST(NodeMapLoad, ConnectBindsThePortNamedAfterTheDeviceOrTheOnlyPort) {
    MemoryPort port(16);
    CNodeMapRef onlyOther;
    onlyOther._LoadXMLFromString(
        R"(<RegisterDescription xmlns="http://www.genicam.org/GenApi/Version_1_0">
      <Port Name="Cam"/></RegisterDescription>)");
    EXPECT_TRUE(onlyOther._Connect(&port));
    EXPECT_EQ(onlyOther._GetNode("Cam")->GetAccessMode(), RW);

    CNodeMapRef two;
    two._LoadXMLFromString(
        R"(<RegisterDescription><Port Name="A"/><Port Name="B"/></RegisterDescription>)");
    EXPECT_FALSE(two._Connect(&port));
    EXPECT_TRUE(two._Connect(&port, "B"));
    EXPECT_EQ(two._GetNode("A")->GetAccessMode(), NA);
}

TEST(NodeMapLoad, TheLibraryAnswersARunTimeProbeByItsPlainName) {
    // The GigE Vision library finds this library with dlopen and probes it
    // before it uses the C++ interfaces.
    void* self = ::dlopen(nullptr, RTLD_NOW);
    ASSERT_NE(self, nullptr);
    auto probe = reinterpret_cast<const char* (*)()>(::dlsym(self, "GenApiLibraryVersion"));
    ASSERT_NE(probe, nullptr);
    EXPECT_STREQ(probe(), GenApiLibraryVersion());
    ::dlclose(self);
}
