#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include "VkrLogFixture.h"
#include "VkrLogRecord.h"

namespace {

const VLOrigin kOrigin{"KovraCIL", "asd", "VarkelKovra"};

class Console {
public:
    int SendTerminalCmd(const char* command, long long value) {
        VL_TRACE(kOrigin, "KovraCIL: SendTerminalCmd -> Enter, Cmd=%s", command);
        VL_ERROR(kOrigin, "KovraCIL: ERROR!!! SET_PARAM_VALUE error, Name=%s, Val=%I64i, res=%i",
                 "Shutter Time", value, 17);
        return 0;
    }
};

// Memory that no formatting can read: a %s of it would fault at once.
class UnreadableText {
public:
    UnreadableText() {
        m_pPage = mmap(nullptr, m_nSize, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    }
    ~UnreadableText() { munmap(m_pPage, m_nSize); }
    const char* Get() const { return static_cast<const char*>(m_pPage); }

private:
    size_t m_nSize = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    void* m_pPage;
};

}  // namespace

using VkrLogRecordTest = VkrLogFixture;

TEST_F(VkrLogRecordTest, FillsTheRecordWithTheOriginTheFunctionAndTheFormattedMessage) {
    ASSERT_EQ(VLInitLogA("KovraGiGE", m_Dir.c_str(), 1, 1, 0), KvCode::OK);
    Console().SendTerminalCmd("gmn\r", 123456789012LL);

    const auto records = FileRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0][SEVERITY], "TRACE");
    EXPECT_EQ(records[0][PROCESS], std::to_string(getpid()));
    EXPECT_EQ(records[0][THREAD], std::to_string(gettid()));
    EXPECT_EQ(records[0][MODULE], "KovraCIL");
    EXPECT_EQ(records[0][SECOND], "asd");
    EXPECT_TRUE(records[0][SOURCE].starts_with("VarkelKovra:")) << records[0][SOURCE];
    EXPECT_EQ(records[0][FUNCTION], "{anonymous}::Console::SendTerminalCmd");
    EXPECT_EQ(records[0][MESSAGE], "KovraCIL: SendTerminalCmd -> Enter, Cmd=gmn\\r");
    EXPECT_EQ(records[1][SEVERITY], "ERROR");
    EXPECT_EQ(records[1][MESSAGE],
              "KovraCIL: ERROR!!! SET_PARAM_VALUE error, Name=Shutter Time, Val=123456789012, "
              "res=17");
}

TEST_F(VkrLogRecordTest, FormatsNothingForARecordTheLogDoesNotNeed) {
    ASSERT_EQ(VLInitLogA("KovraGiGE", m_Dir.c_str(), 1, 1, 0), KvCode::OK);
    ASSERT_EQ(VLSetLogSeverityThreshold(VLSeverity::ERROR, VLTarget::FILE), KvCode::OK);

    const UnreadableText unreadable;
    VLWriteRecord(kOrigin, "VarkelKovra::WriteConsole", 1, VLSeverity::TRACE, "Cmd=%s",
                  unreadable.Get());
    int evaluated = 0;
    VL_TRACE(kOrigin, "Cmd=%s %i", unreadable.Get(), ++evaluated);
    EXPECT_EQ(evaluated, 0);
    VL_ERROR(kOrigin, "counted %i", ++evaluated);
    EXPECT_EQ(evaluated, 1);

    VLCloseLog();  // a closed log needs nothing at all
    VL_ERROR(kOrigin, "Cmd=%s %i", unreadable.Get(), ++evaluated);
    EXPECT_EQ(evaluated, 1);
}

TEST(VLQualifiedFunctionName, KeepsTheClassAndMethodOfACompilerSignature) {
    const std::pair<const char*, const char*> cases[] = {
        {"KvResult VarkelKovra::SendTerminalCmd(const KvString&, KvString&)",
         "VarkelKovra::SendTerminalCmd"},
        {"VarkelKovra::VarkelKovra(KvGrabber*, KvCameraLimits*)", "VarkelKovra::VarkelKovra"},
        {"virtual KvResult KvGrabbingThread<T>::Body() [with T = KvGigEVisionDevice]",
         "KvGrabbingThread<T>::Body"},
        {"std::map<unsigned int, unsigned int> DiagnosticThread::Errors() const",
         "DiagnosticThread::Errors"},
        {"std::function<void(int)> ns::A::Make(int (*)(int))", "ns::A::Make"},
        {"const char* KvApp::Name()", "KvApp::Name"},
        {"bool Filter::operator()(int) const", "Filter::operator()"},
        {"bool Id::operator<(const Id&) const", "Id::operator<"},
        {"Id::operator bool() const", "Id::operator bool"},
        {"int main()", "main"},
    };
    for (const auto& [signature, expected] : cases) {
        EXPECT_EQ(VLQualifiedFunctionName(signature), expected) << signature;
    }
}
