// The XML of another party's camera: arv-fake-gv-camera-0.8 serves it from a
// compiled-in resource, so the test starts that camera on a loopback address
// of the private network name space and fetches the file and the camera's
// register image with arv-tool-0.8. Our node map then reads every feature
// reachable from Root out of that image through a memory port, and the
// values must be those arv-tool reads from the running camera.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "MemoryPort.h"

extern char** environ;

using namespace GenApi;

namespace {

constexpr const char* kAddress = "127.0.0.91";
constexpr size_t kImageSize = 0x400;  // every register the file names lies below

bool OnPath(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Run(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) {
            out.append(buffer, n);
        }
        ::pclose(p);
    }
    return out;
}

class FakeCamera {
public:
    FakeCamera() {
        // Only inside the private name space may the test add an address to lo.
        std::system((std::string("ip addr add ") + kAddress + "/32 dev lo 2>/dev/null").c_str());
        const char* argv[] = {"arv-fake-gv-camera-0.8", "-i", kAddress, nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&m_Pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ) !=
            0) {
            m_Pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~FakeCamera() {
        if (m_Pid > 0) {
            ::kill(m_Pid, SIGTERM);
            ::waitpid(m_Pid, nullptr, 0);
        }
    }
    bool Started() const { return m_Pid > 0; }
    std::string Tool(const std::string& args) const {
        return Run(std::string("timeout 30 arv-tool-0.8 -a ") + kAddress + " " + args +
                   " 2>/dev/null");
    }

private:
    pid_t m_Pid = -1;
};

// "Name = value ..." lines of arv-tool's control command.
std::map<std::string, std::string> ParseControl(const std::string& out) {
    std::map<std::string, std::string> values;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t eq = line.find(" = ");
        if (eq != std::string::npos) {
            values[line.substr(0, eq)] = line.substr(eq + 3);
        }
    }
    return values;
}

void CollectFeatures(ICategory& category, std::vector<INode*>& out, std::set<INode*>& seen) {
    FeatureList_t features;
    category.GetFeatures(features);
    for (IValue* f : features) {
        INode* node = f->GetNode();
        if (!seen.insert(node).second) {
            continue;
        }
        if (CCategoryPtr sub = node; sub.IsValid()) {
            CollectFeatures(*sub, out, seen);
        } else {
            out.push_back(node);
        }
    }
}

}  // namespace

TEST(ThirdPartyFile, FakeCameraXmlLoadsAndEveryFeatureReadsAsThePeerReadsIt) {
    if (!OnPath("arv-fake-gv-camera-0.8") || !OnPath("arv-tool-0.8")) {
        GTEST_SKIP()
            << "arv-fake-gv-camera-0.8 / arv-tool-0.8 not installed (package aravis-tools)";
    }
    const char* netns = std::getenv("KV_IN_PRIVATE_NETNS");
    if (!netns || std::string(netns) != "1") {
        GTEST_SKIP() << "needs the private network name space: run it through scripts/netns";
    }
    FakeCamera camera;
    ASSERT_TRUE(camera.Started());
    std::string xml;
    for (int attempt = 0; attempt < 50 && xml.find("RegisterDescription") == std::string::npos;
         ++attempt) {
        ::usleep(100000);  // the camera needs a moment to open its socket
        xml = camera.Tool("genicam");
    }
    ASSERT_NE(xml.find("RegisterDescription"), std::string::npos) << "no XML from the fake camera";

    CNodeMapRef map;
    map._LoadXMLFromString(xml);

    // The camera's register image, 32 bits at a time, big-endian as GigE
    // Vision device memory is.
    std::string registers;
    for (size_t a = 0; a < kImageSize; a += 4) {
        char r[16];
        std::snprintf(r, sizeof r, " R[0x%zx]", a);
        registers += r;
    }
    MemoryPort port(kImageSize);
    size_t filled = 0;
    for (const auto& [name, value] : ParseControl(camera.Tool("control" + registers))) {
        unsigned long address = 0, bits = 0;
        if (std::sscanf(name.c_str(), "R[0x%lx]", &address) == 1 &&
            std::sscanf(value.c_str(), "0x%lx", &bits) == 1 && address + 4 <= kImageSize) {
            port.Put32(address, static_cast<uint32_t>(bits));
            ++filled;
        }
    }
    ASSERT_EQ(filled, kImageSize / 4);
    ASSERT_TRUE(map._Connect(&port));

    CCategoryPtr root = map._GetNode("Root");
    ASSERT_TRUE(root.IsValid());
    std::vector<INode*> features;
    std::set<INode*> seen;
    CollectFeatures(*root, features, seen);
    ASSERT_GT(features.size(), 20u);

    std::map<std::string, std::string> ours;
    for (INode* node : features) {
        const EAccessMode mode = node->GetAccessMode();
        if (mode != RO && mode != RW) {
            continue;  // commands and other write-only features
        }
        SCOPED_TRACE(node->GetName());
        std::string text;
        ASSERT_NO_THROW({
            if (CIntegerPtr i = node; i.IsValid()) {
                text = std::to_string(i->GetValue());
                i->GetMin();
                i->GetMax();
            } else if (CFloatPtr f = node; f.IsValid()) {
                text = std::to_string(f->GetValue());
            } else if (CEnumerationPtr e = node; e.IsValid()) {
                text = e->ToString();
            } else if (CBooleanPtr b = node; b.IsValid()) {
                text = b->GetValue() ? "true" : "false";
            } else if (CStringPtr s = node; s.IsValid()) {
                text = s->GetValue();
            } else if (CValuePtr v = node; v.IsValid()) {
                text = v->ToString();
            }
        });
        ours[node->GetName()] = text;
    }
    ASSERT_GT(ours.size(), 20u);

    std::string names;
    for (const auto& [name, value] : ours) {
        names += " " + name;
    }
    const auto peer = ParseControl(camera.Tool("control" + names));
    for (const auto& [name, value] : ours) {
        auto it = peer.find(name);
        ASSERT_NE(it, peer.end()) << name << " not read by arv-tool";
        std::string theirs = it->second;
        CFloatPtr f = map._GetNode(name);
        if (f.IsValid()) {
            EXPECT_NEAR(std::stod(value), std::stod(theirs),
                        1e-6 * std::max(1.0, std::fabs(std::stod(value))))
                << name;
            continue;
        }
        // Integers are printed with their range after the value.
        if (CIntegerPtr(map._GetNode(name)).IsValid()) {
            theirs = theirs.substr(0, theirs.find(' '));
        }
        EXPECT_EQ(value, theirs) << name;
    }
}
