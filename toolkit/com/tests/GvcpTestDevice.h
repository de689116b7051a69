#pragma once
// A simulated device served on one loopback address for the length of a test.
// Each test uses its own address so that ctest can run them side by side.

#include <gtest/gtest.h>

#include "SimUdpFrontEnd.h"

struct GvcpTestDevice {
    explicit GvcpTestDevice(const std::string& address, SimGigEOptions options = {})
        : m_sAddress(address), m_Device(WithIp(options, address)), m_FrontEnd(m_Device) {
        std::string error;
        EXPECT_TRUE(m_FrontEnd.Start(address, Gvcp::PORT, error)) << error;
    }

    static SimGigEOptions WithIp(SimGigEOptions options, const std::string& address) {
        options.m_Identity.m_nIp = *Gvcp::ParseIp(address);
        return options;
    }

    std::string m_sAddress;
    SimGigEDevice m_Device;
    SimUdpFrontEnd m_FrontEnd;
};
