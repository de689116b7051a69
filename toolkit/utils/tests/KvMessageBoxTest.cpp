#include <gtest/gtest.h>

#include "KvMessageBox.h"
#include "KvMessageBoxRecorder.h"

TEST(KvMessageBox, HeadlessBoxesGoToStandardErrorAndAnswerTheirDefaultButton) {
    struct Case {
        uint32_t style;
        int answer;
    };
    const Case cases[] = {
        {KvMB::OK | KvMB::ICONERROR, KvID::OK},
        {KvMB::OKCANCEL | KvMB::ICONWARNING, KvID::OK},
        {KvMB::OKCANCEL | KvMB::DEFBUTTON2, KvID::CANCEL},
        {KvMB::YESNO | KvMB::ICONQUESTION, KvID::YES},
        {KvMB::YESNO | KvMB::DEFBUTTON2, KvID::NO},
        {KvMB::YESNOCANCEL | KvMB::DEFBUTTON3, KvID::CANCEL},
        {KvMB::YESNO | KvMB::DEFBUTTON3, KvID::YES},  // no third button: the first
    };
    for (const Case& c : cases) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(KvMessageBox("Could not create file!", "Error!", c.style), c.answer) << c.style;
        const std::string shown = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(shown.find("Error!: Could not create file!"), std::string::npos) << shown;
    }
}

TEST(KvMessageBox, ARecorderAnswersAndRecordsEveryBoxThenRestoresThePreviousHandler) {
    int outerCalls = 0;
    KvSetMessageBoxHandler([&](const KvMessageBoxRequest&) { return ++outerCalls, KvID::NO; });
    {
        KvMessageBoxRecorder recorder;
        recorder.QueueAnswer(KvID::CANCEL);
        recorder.QueueAnswer(KvID::YES);  // not a button of an OK box
        EXPECT_EQ(KvMessageBox("Save changes?", "KovraGEV", KvMB::YESNOCANCEL), KvID::CANCEL);
        EXPECT_EQ(KvMessageBox("Done", "", KvMB::OK | KvMB::ICONINFORMATION), KvID::OK);
        EXPECT_EQ(KvMessageBox("Again?", "", KvMB::YESNO | KvMB::DEFBUTTON2), KvID::NO);

        const auto shown = recorder.Shown();
        ASSERT_EQ(shown.size(), 3u);
        EXPECT_EQ(shown[0].m_sText, "Save changes?");
        EXPECT_EQ(shown[0].m_sCaption, "KovraGEV");
        EXPECT_EQ(shown[0].Buttons(), (std::vector<int>{KvID::YES, KvID::NO, KvID::CANCEL}));
        EXPECT_EQ(shown[1].Icon(), KvMB::ICONINFORMATION);
        EXPECT_EQ(outerCalls, 0);
    }
    EXPECT_EQ(KvMessageBox("Outer", "", KvMB::YESNO), KvID::NO);
    EXPECT_EQ(outerCalls, 1);
    KvSetMessageBoxHandler({});
}
