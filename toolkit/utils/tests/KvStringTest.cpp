#include <gtest/gtest.h>

#include "KvErrorInterface.h"
#include "KvString.h"

TEST(KvString, FormatsSixtyFourBitDecimalsWrittenTheCameraWay) {
    struct Case {
        const char* format;
        long long value;
        const char* expected;
    };
    const Case cases[] = {
        {"sst %I64i\r", 123456789012LL, "sst 123456789012\r"},
        {"%I64i", -9223372036854775807LL - 1, "-9223372036854775808"},
        {"[%5I64d]", 42, "[   42]"},
        {"%I64u", 18, "18"},
        {"%I64x", 255, "ff"},
        {"%% %I64i%%", 7, "% 7%"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KvString::Format(c.format, c.value).str(), c.expected) << c.format;
    }
}

TEST(KvString, SlicesClampInsteadOfOverrunning) {
    const KvString s("Assembly Serial #: 1234");
    EXPECT_EQ(s.Left(8), "Assembly");
    EXPECT_EQ(s.Right(4), "1234");
    EXPECT_EQ(s.Right(100), s);
    EXPECT_EQ(s.Mid(19), "1234");
    EXPECT_EQ(s.Mid(100), "");
    EXPECT_EQ(s.Mid(9, 6), "Serial");
    EXPECT_EQ(s.Find("#:"), 16u);
    EXPECT_EQ(s.Find("none"), KvString::npos);
    EXPECT_EQ(s.GetAt(1000), '\0');
}

TEST(KvString, EditsKeepValueSemantics) {
    KvString a("  rror: bad  ");
    KvString b = a;
    a.Trim();
    EXPECT_EQ(a, "rror: bad");
    EXPECT_EQ(b, "  rror: bad  ");
    EXPECT_EQ(a.Replace("bad", "worse"), 1u);
    a.Insert(0, "E").MakeUpper();
    EXPECT_EQ(a, "ERROR: WORSE");
    EXPECT_EQ(a.Remove('R'), 4u);
    EXPECT_EQ(a.CompareNoCase("eo: wose"), 0);
    EXPECT_LT(KvString("abc"), KvString("abd"));
}

TEST(KvString, StrcpyRefusesTooSmallBuffersWithoutOverrun) {
    char buffer[6] = "xxxxx";
    EXPECT_FALSE(KvStrcpy(buffer, sizeof buffer, "127.0.0.1"));
    EXPECT_STREQ(buffer, "127.0");
    EXPECT_TRUE(KvStrcpy(buffer, sizeof buffer, "ok"));
    EXPECT_STREQ(buffer, "ok");
}

TEST(KvErrorInterface, RecordsCopiesAndCutsLongMessages) {
    KvErrorInterface a;
    EXPECT_EQ(a.GetErrorInfo(), 0u);
    EXPECT_EQ(a.SetErrorInfo(std::string(300, 'x'), 17, "file.cpp", 12, 5), 17u);
    KvErrorInfo info;
    EXPECT_EQ(a.GetErrorInfo(&info), 17u);
    EXPECT_EQ(info.m_sMessage.GetLength(), KvErrorInfo::MAX_MESSAGE);
    EXPECT_EQ(info.m_sSourceFile, "file.cpp");
    EXPECT_EQ(info.m_nLine, 12);
    EXPECT_EQ(info.m_nSystemError, 5u);

    KvErrorInterface b;
    EXPECT_EQ(b.SetErrorInfo(a), 17u);
    EXPECT_EQ(b.GetInfoString(), a.GetInfoString());
    b.ClearErrorInfo();
    EXPECT_EQ(b.GetErrorInfo(), 0u);
    EXPECT_EQ(b.GetInfoString(), "");
    b.SetErrorInfo("", KvCode::TIMEOUT);
    EXPECT_EQ(b.GetInfoString(), "Time-out");
}
