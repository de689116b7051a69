#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "KvParameterRepository.h"

namespace {

struct SetCall {
    uint32_t index;
    uint32_t id;
    KvString name;
    bool checkOnly;
    KvString text;
    int64_t intValue;
    double realValue;
};

// A repository whose hooks record their calls and refuse on demand; the get
// hook can refresh a value by writing it, as device owners do.
class HookedRepository : public KvParameterRepository {
public:
    std::vector<SetCall> m_SetCalls;
    std::vector<KvString> m_GetCalls;
    KvString m_sRefuseSetOf;
    KvResult m_nSetAnswer = 17;
    KvString m_sRefuseGetOf;
    KvString m_sRefreshOnGet;  // parameter whose read first stores 42 into it

protected:
    KvResult OnParameterSet(uint32_t index, uint32_t id, const KvString& name, bool checkOnly,
                            const KvString& text, int64_t intValue, double realValue) override {
        m_SetCalls.push_back({index, id, name, checkOnly, text, intValue, realValue});
        return name == m_sRefuseSetOf ? m_nSetAnswer : 0;
    }
    KvResult OnParameterGet(uint32_t, uint32_t, const KvString& name) override {
        m_GetCalls.push_back(name);
        if (name == m_sRefreshOnGet) {
            return SetParameter(name, int64_t{42});
        }
        return name == m_sRefuseGetOf ? KvCode::HARDWARE : 0;
    }
};

TEST(KvParameterRepository, ChoosesIdentifiersSoThatBaseIndicesEqualIdentifiers) {
    KvParameterRepository r;
    ASSERT_EQ(r.AddParameter("Width", KvParameterType::INT64), 0u);
    ASSERT_EQ(r.AddParameter("Height", KvParameterType::INT64), 0u);
    ASSERT_EQ(r.AddParameter("Fixed", KvParameterType::TEXT, 3), 0u);
    ASSERT_EQ(r.AddParameter("Next", KvParameterType::BOOL), 0u);  // 3 is taken: 4
    ASSERT_EQ(r.AddParameter("Far", KvParameterType::UINT8, 100), 0u);
    ASSERT_EQ(r.AddParameter("Last", KvParameterType::FLOAT), 0u);

    const uint32_t expectedIds[] = {0, 1, 3, 4, 100, 5};
    for (uint32_t index = 0; index < 6; ++index) {
        KvParameterInfo info;
        ASSERT_EQ(r.GetParameterInfo(index, info), 0u);
        EXPECT_EQ(info.m_nIdentifier, expectedIds[index]) << info.m_sName.str();
        uint32_t back = 99;
        EXPECT_EQ(r.GetIndex(expectedIds[index], back), 0u);
        EXPECT_EQ(back, index);
    }
    EXPECT_EQ(r.GetParameterCount(), 6u);
    KvString name;
    EXPECT_EQ(r.GetParameterNameByIndex(4, name), 0u);
    EXPECT_EQ(name, "Far");
    EXPECT_EQ(r.GetParameterType("Far"), KvParameterType::UINT8);
    EXPECT_EQ(r.GetParameterType("Nowhere"), KvParameterType::UNKNOWN);
    EXPECT_EQ(r.GetParameterType(uint32_t{5}), KvParameterType::FLOAT);

    // Duplicates and unknown types are refused and leave the set unchanged.
    EXPECT_EQ(r.AddParameter("Width", KvParameterType::INT64), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(r.AddParameter("Other", KvParameterType::INT64, 100), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(r.AddParameter("Odd", 14), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(r.AddParameter("", KvParameterType::INT64), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(r.GetParameterCount(), 6u);
    EXPECT_EQ(r.GetParameterNameByIndex(6, name), KvCode::NOT_FOUND);
    uint32_t index = 0;
    EXPECT_EQ(r.GetIndex(2, index), KvCode::NOT_FOUND);
    EXPECT_FALSE(r.GetInfoString().IsEmpty());
}

TEST(KvParameterRepository, RefusingSetHookKeepsTheValueAndItsCodeComesBack) {
    HookedRepository r;
    ASSERT_EQ(r.AddParameter("Gain", KvParameterType::DOUBLE, 7), 0u);
    ASSERT_EQ(r.AddParameter("Shutter Time", KvParameterType::INT64), 0u);
    ASSERT_EQ(r.SetParameter("Shutter Time", int64_t{500}), 0u);
    ASSERT_EQ(r.m_SetCalls.size(), 1u);
    const SetCall& call = r.m_SetCalls[0];
    EXPECT_EQ(call.index, 1u);
    EXPECT_EQ(call.id, 1u);
    EXPECT_EQ(call.name, "Shutter Time");
    EXPECT_FALSE(call.checkOnly);
    EXPECT_EQ(call.text, "500");
    EXPECT_EQ(call.intValue, 500);
    EXPECT_EQ(call.realValue, 500.0);
    EXPECT_TRUE(r.IsParameterChanged("Shutter Time"));

    r.ClearAllChanged();
    r.m_sRefuseSetOf = "Shutter Time";
    EXPECT_EQ(r.SetParameter("Shutter Time", int64_t{900}), 17u);
    int64_t value = 0;
    EXPECT_EQ(r.GetParameter("Shutter Time", value), 0u);
    EXPECT_EQ(value, 500);
    EXPECT_FALSE(r.IsParameterChanged("Shutter Time"));
    EXPECT_EQ(r.GetErrorInfo(), 17u);
    EXPECT_TRUE(r.GetInfoString().Contains("Shutter Time"));

    // A trial runs every check and the hook (flag true) but stores nothing.
    r.m_sRefuseSetOf.Empty();
    EXPECT_EQ(r.SetParameter(uint32_t{7}, 2.5, true), 0u);
    EXPECT_TRUE(r.m_SetCalls.back().checkOnly);
    EXPECT_EQ(r.m_SetCalls.back().text, "2.5");
    double gain = -1.0;
    EXPECT_EQ(r.GetParameter(uint32_t{7}, gain), 0u);
    EXPECT_EQ(gain, 0.0);
    EXPECT_FALSE(r.IsAnyParameterChanged());

    // A value the checks refuse never reaches the hook.
    const size_t calls = r.m_SetCalls.size();
    EXPECT_EQ(r.SetParameter("Shutter Time", "fast"), KvCode::WRONG_TYPE);
    EXPECT_EQ(r.m_SetCalls.size(), calls);
}

TEST(KvParameterRepository, GetHookFailsTheReadOrRefreshesTheValue) {
    HookedRepository r;
    ASSERT_EQ(r.AddParameter("Current Temperature", KvParameterType::INT64), 0u);
    ASSERT_EQ(r.AddParameter("Camera Speed", KvParameterType::INT64), 0u);
    r.m_sRefuseGetOf = "Current Temperature";
    int64_t value = 5;
    KvString text = "kept";
    EXPECT_EQ(r.GetParameter("Current Temperature", value), KvCode::HARDWARE);
    EXPECT_EQ(r.GetParameter("Current Temperature", text), KvCode::HARDWARE);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(r.GetErrorInfo(), KvCode::HARDWARE);

    // The hook writes into the repository while the read is under way; the
    // read then returns the fresh value (and the lock is not held meanwhile).
    r.m_sRefreshOnGet = "Camera Speed";
    EXPECT_EQ(r.GetParameterByIndex(1, value), 0u);
    EXPECT_EQ(value, 42);
}

TEST(KvParameterRepository, ReadOnlyCheckingGuardsWritesOnlyWhileOn) {
    KvParameterRepository r;
    ASSERT_EQ(r.AddParameter("Camera Name", KvParameterType::TEXT, 21), 0u);
    ASSERT_EQ(r.SetAttributes(21, 0x33), 0u);
    uint32_t attributes = 0;
    EXPECT_EQ(r.GetAttributes("Camera Name", attributes), 0u);
    EXPECT_EQ(attributes, 0x33u);  // bits other than read-only are kept as given

    EXPECT_TRUE(r.IsReadOnlyCheckingEnabled());
    EXPECT_EQ(r.SetParameter(21, "VKR-Q1"), KvCode::READ_ONLY);
    r.EnableReadOnlyChecking(false);
    EXPECT_EQ(r.SetParameter(21, "VKR-Q1"), 0u);
    r.EnableReadOnlyChecking(true);
    EXPECT_EQ(r.SetParameter("Camera Name", "VKR-T2"), KvCode::READ_ONLY);
    ASSERT_EQ(r.SetAttributes(21, attributes & ~KV_ATTRIBUTE_READ_ONLY), 0u);
    EXPECT_EQ(r.SetParameter("Camera Name", "VKR-T2"), 0u);
    KvString name;
    EXPECT_EQ(r.GetParameter(21, name), 0u);
    EXPECT_EQ(name, "VKR-T2");
}

// Writes go through conversion, range and type checks; each row writes one
// value into a fresh parameter and reads it back as text.
TEST(KvParameterRepository, ConvertsAndChecksWrittenValues) {
    struct Row {
        uint32_t type;
        int64_t min, max;   // range set when min < max
        const char* input;  // written as text unless numeric is set
        bool numeric;
        double number;
        KvResult expected;
        const char* readBack;
    };
    const Row rows[] = {
        {KvParameterType::INT64, 0, 0, "-9223372036854775808", false, 0, 0, "-9223372036854775808"},
        {KvParameterType::INT64, 0, 0, "0x10", false, 0, 0, "16"},
        {KvParameterType::INT64, 0, 0, " 12 ", false, 0, 0, "12"},
        {KvParameterType::INT64, 0, 0, "12abc", false, 0, KvCode::WRONG_TYPE, "0"},
        {KvParameterType::INT64, 0, 0, "--1", false, 0, KvCode::WRONG_TYPE, "0"},
        {KvParameterType::INT64, 50, 500000, "49", false, 0, KvCode::INVALID_ARGUMENT, "0"},
        {KvParameterType::INT64, 50, 500000, "500000", false, 0, 0, "500000"},
        {KvParameterType::INT64, 0, 0, "", true, 2.5, KvCode::WRONG_TYPE, "0"},
        {KvParameterType::UINT8, 0, 0, "255", false, 0, 0, "255"},
        {KvParameterType::UINT8, 0, 0, "256", false, 0, KvCode::INVALID_ARGUMENT, "0"},
        {KvParameterType::INT8, 0, 0, "-129", false, 0, KvCode::INVALID_ARGUMENT, "0"},
        {KvParameterType::INT8, -30, -18, "-18", false, 0, 0, "-18"},
        {KvParameterType::UINT16, 0, 0, "65535", false, 0, 0, "65535"},
        {KvParameterType::INT16, 0, 0, "-32769", false, 0, KvCode::INVALID_ARGUMENT, "0"},
        {KvParameterType::UINT32, 0, 0, "4294967295", false, 0, 0, "4294967295"},
        {KvParameterType::INT32, 0, 0, "2147483648", false, 0, KvCode::INVALID_ARGUMENT, "0"},
        {KvParameterType::UINT64, 0, 0, "18446744073709551615", false, 0, 0,
         "18446744073709551615"},
        {KvParameterType::UINT64, 0, 0, "-1", false, 0, KvCode::INVALID_ARGUMENT, "0"},
        {KvParameterType::BOOL, 0, 0, "TRUE", false, 0, 0, "1"},
        {KvParameterType::BOOL, 0, 0, "2", false, 0, KvCode::INVALID_ARGUMENT, "0"},
        {KvParameterType::DOUBLE, 0, 0, "6.25", false, 0, 0, "6.25"},
        {KvParameterType::DOUBLE, 0, 0, "0.1", false, 0, 0, "0.1"},
        {KvParameterType::DOUBLE, 0, 0, "nan", false, 0, KvCode::WRONG_TYPE, "0"},
        {KvParameterType::DOUBLE, 6, 30, "", true, 30.5, KvCode::INVALID_ARGUMENT, "0"},
        {KvParameterType::DOUBLE, 0, 0, "7", false, 0, 0, "7"},
        {KvParameterType::FLOAT, 0, 0, "1e39", false, 0, KvCode::INVALID_ARGUMENT, "0"},
        {KvParameterType::FLOAT, 0, 0, "", true, 0.1, 0, "0.1"},
        {KvParameterType::TEXT, 0, 0, "  spaced & <odd>  ", false, 0, 0, "  spaced & <odd>  "},
        {KvParameterType::TEXT, 0, 0, "", true, 5, KvCode::WRONG_TYPE, ""},
    };
    for (const Row& row : rows) {
        KvParameterRepository r;
        ASSERT_EQ(r.AddParameter("P", row.type), 0u);
        if (row.min < row.max) {
            ASSERT_EQ(r.SetParameterRange("P", row.min, row.max), 0u);
        }
        const KvResult got = row.numeric ? r.SetParameter("P", row.number)
                                         : r.SetParameter("P", KvString(row.input));
        EXPECT_EQ(got, row.expected)
            << KvParameterTypeName(row.type) << " <- " << row.input << row.number;
        KvString text;
        EXPECT_EQ(r.GetParameter("P", text), 0u);
        EXPECT_EQ(text, row.readBack) << KvParameterTypeName(row.type) << " <- " << row.input;
        EXPECT_EQ(r.IsParameterChanged("P"), row.expected == 0 && text != "0" && text != "");
    }
}

TEST(KvParameterRepository, ReadsIntoOtherTypesOnlyWhenTheValueFits) {
    KvParameterRepository r;
    ASSERT_EQ(r.AddParameter("Taps", KvParameterType::INT64, 11), 0u);
    ASSERT_EQ(r.AddParameter("Gain", KvParameterType::DOUBLE), 0u);
    ASSERT_EQ(r.AddParameter("Label", KvParameterType::TEXT), 0u);
    ASSERT_EQ(r.SetParameter(11, 2), 0u);
    uint8_t taps = 0;
    EXPECT_EQ(r.GetParameter(11, taps), 0u);
    EXPECT_EQ(taps, 2);
    double asReal = 0;
    EXPECT_EQ(r.GetParameter(11, asReal), 0u);
    EXPECT_EQ(asReal, 2.0);
    bool asBool = false;
    EXPECT_EQ(r.GetParameter(11, asBool), 0u);
    EXPECT_TRUE(asBool);

    ASSERT_EQ(r.SetParameter(11, 300), 0u);
    EXPECT_EQ(r.GetParameter(11, taps), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(taps, 2);
    ASSERT_EQ(r.SetParameter(11, -1), 0u);
    uint64_t big = 7;
    EXPECT_EQ(r.GetParameter(11, big), KvCode::INVALID_ARGUMENT);

    ASSERT_EQ(r.SetParameter("Gain", 1e300), 0u);
    int64_t asInteger = 0;
    float asFloat = 0;
    EXPECT_EQ(r.GetParameter("Gain", asInteger), KvCode::WRONG_TYPE);
    EXPECT_EQ(r.GetParameter("Gain", asFloat), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(r.GetParameter("Label", asInteger), KvCode::WRONG_TYPE);
    EXPECT_EQ(r.GetParameter("Missing", asInteger), KvCode::NOT_FOUND);
    EXPECT_EQ(r.GetParameter(uint32_t{99}, asInteger), KvCode::NOT_FOUND);

    // A literal text goes to the text overload, not to the bool one.
    EXPECT_EQ(r.SetParameter("Label", "yes"), 0u);
    KvString label;
    EXPECT_EQ(r.GetParameter("Label", label), 0u);
    EXPECT_EQ(label, "yes");
}

TEST(KvParameterRepository, RangesIncrementsAndDefaults) {
    HookedRepository r;
    ASSERT_EQ(r.AddParameter("Shutter Time", KvParameterType::INT64), 0u);
    ASSERT_EQ(r.AddParameter("Offset", KvParameterType::UINT8), 0u);
    ASSERT_EQ(r.AddParameter("Gain", KvParameterType::FLOAT), 0u);

    int64_t lo = 0, hi = 0;
    EXPECT_EQ(r.GetParameterRange("Offset", lo, hi), 0u);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 255);
    EXPECT_EQ(r.SetParameterRange("Offset", 0, 256), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(r.SetParameterRange("Offset", 10, 5), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(r.SetParameterRange(uint32_t{0}, 50, 500000), 0u);
    EXPECT_EQ(r.GetParameterRange(uint32_t{0}, lo, hi), 0u);
    EXPECT_EQ(lo, 50);
    EXPECT_EQ(hi, 500000);
    uint8_t small = 0, smallHi = 0;  // reading into a narrower type saturates
    EXPECT_EQ(r.GetParameterRange(uint32_t{0}, small, smallHi), 0u);
    EXPECT_EQ(small, 50);
    EXPECT_EQ(smallHi, 255);

    EXPECT_EQ(r.SetParameterRange("Gain", 6.0, 30.0), 0u);
    double dlo = 0, dhi = 0;
    EXPECT_EQ(r.GetParameterRange("Gain", dlo, dhi), 0u);
    EXPECT_EQ(dlo, 6.0);
    EXPECT_EQ(dhi, 30.0);
    EXPECT_EQ(r.SetParameterRange("Gain", 0.0, 1e39), KvCode::INVALID_ARGUMENT);

    EXPECT_EQ(r.SetParameterIncrement("Shutter Time", 10), 0u);
    int64_t step = 0;
    EXPECT_EQ(r.GetParameterIncrement("Shutter Time", step), 0u);
    EXPECT_EQ(step, 10);
    EXPECT_EQ(r.SetParameterIncrement("Shutter Time", -1), KvCode::INVALID_ARGUMENT);

    // A default outside the range is refused; a good one is also the value,
    // set without hook and without raising the changed flag.
    EXPECT_EQ(r.SetParameterDefault("Shutter Time", 10), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(r.SetParameterDefault("Shutter Time", 50), 0u);
    EXPECT_TRUE(r.m_SetCalls.empty());
    EXPECT_FALSE(r.IsAnyParameterChanged());
    ASSERT_EQ(r.SetParameter("Shutter Time", 900), 0u);
    EXPECT_EQ(r.RestoreDefault("Shutter Time"), 0u);
    EXPECT_EQ(r.m_SetCalls.back().intValue, 50);
    KvParameterInfo info;
    ASSERT_EQ(r.GetParameterInfo(0, info), 0u);
    EXPECT_EQ(info.m_sValue, "50");
    EXPECT_EQ(info.m_sDefault, "50");
    EXPECT_EQ(info.m_sMinimum, "50");
    EXPECT_EQ(info.m_sMaximum, "500000");
    EXPECT_EQ(info.m_sIncrement, "10");
}

TEST(KvParameterRepository, EnumerationEntriesByNameAndValue) {
    KvParameterRepository r;
    ASSERT_EQ(r.AddParameter("Communication Mode", KvParameterType::ENUM), 0u);
    ASSERT_EQ(r.AddParameter("Label", KvParameterType::TEXT), 0u);
    ASSERT_EQ(r.AddEnumParameterValue("Communication Mode", "Unicast", 0), 0u);
    ASSERT_EQ(r.AddEnumParameterValue(uint32_t{0}, "Multicast", 1), 0u);
    ASSERT_EQ(r.AddEnumParameterValue("Communication Mode", "GigE Vision", 5), 0u);
    EXPECT_EQ(r.AddEnumParameterValue("Communication Mode", "Multicast", 7),
              KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(r.AddEnumParameterValue("Communication Mode", "Again", 5), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(r.AddEnumParameterValue("Label", "Entry", 1), KvCode::WRONG_TYPE);

    int64_t value = -1;
    EXPECT_EQ(r.FindEnumValueByIndex(0, "GigE Vision", value), 0u);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(r.FindEnumValueByIndex(0, "Broadcast", value), KvCode::NOT_FOUND);
    KvString entry;
    EXPECT_EQ(r.FindEnumNameByIndex(0, 1, entry), 0u);
    EXPECT_EQ(entry, "Multicast");
    EXPECT_EQ(r.FindEnumNameByIndex(0, 2, entry), KvCode::NOT_FOUND);

    // Values are entries only; text is an entry name or its number; the text
    // form of the value is the entry name.
    EXPECT_EQ(r.SetParameter("Communication Mode", int64_t{2}), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(r.SetParameter("Communication Mode", "Multicast"), 0u);
    EXPECT_EQ(r.GetParameter("Communication Mode", entry), 0u);
    EXPECT_EQ(entry, "Multicast");
    EXPECT_EQ(r.SetParameter("Communication Mode", "5"), 0u);
    EXPECT_EQ(r.GetParameter("Communication Mode", value), 0u);
    EXPECT_EQ(value, 5);
}

TEST(KvParameterRepository, ChangedFlagRisesOnlyWhenTheValueChanges) {
    KvParameterRepository r;
    ASSERT_EQ(r.AddParameter("A", KvParameterType::INT64), 0u);
    ASSERT_EQ(r.AddParameter("B", KvParameterType::TEXT), 0u);
    EXPECT_EQ(r.SetParameter("A", 0), 0u);
    EXPECT_FALSE(r.IsParameterChanged("A"));
    EXPECT_EQ(r.SetParameter("A", 3), 0u);
    EXPECT_EQ(r.SetParameter("B", "x"), 0u);
    EXPECT_TRUE(r.IsParameterChanged(uint32_t{0}));
    EXPECT_EQ(r.ClearParameterChanged("A"), 0u);
    EXPECT_FALSE(r.IsParameterChanged("A"));
    EXPECT_TRUE(r.IsAnyParameterChanged());
    r.ClearAllChanged();
    EXPECT_FALSE(r.IsAnyParameterChanged());
    EXPECT_EQ(r.ClearParameterChanged("Missing"), KvCode::NOT_FOUND);
}

}  // namespace
