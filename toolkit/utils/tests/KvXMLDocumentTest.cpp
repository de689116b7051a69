#include <gtest/gtest.h>

#include "KvTempFolder.h"
#include "KvXMLDocument.h"

namespace {

TEST(KvXMLDocument, MissingAndMalformedFilesFailClearlyAndKeepTheOpenDocument) {
    KvTempFolder dir;
    ASSERT_TRUE(dir.IsValid());
    KvXMLDocument doc;
    ASSERT_EQ(doc.CreateDocument("Camera_Interface_Application"), 0u);

    EXPECT_EQ(doc.LoadDocument(dir.File("absent.xml")), KvCode::NOT_FOUND);
    EXPECT_TRUE(doc.GetInfoString().Contains("absent.xml"));

    struct Case {
        const char* content;
        const char* why;
    };
    const Case cases[] = {
        {"<a>\n<b></a>", "line 2"},
        {"", "line"},
        {"<a>&undeclared;</a>", "line 1"},
        // Entities are refused before anything could be expanded or fetched.
        {"<!DOCTYPE a [<!ENTITY x SYSTEM \"file:///etc/hostname\">]><a>&x;</a>", "entities"},
        {"<!DOCTYPE a [<!ENTITY l \"lol\"><!ENTITY l2 \"&l;&l;&l;&l;\">]><a>&l2;</a>", "entities"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.Write("bad.xml", c.content);
        EXPECT_EQ(doc.LoadDocument(path), KvCode::BAD_XML) << c.content;
        EXPECT_TRUE(doc.GetInfoString().Contains(c.why)) << doc.GetInfoString().str();
        KvString root;
        EXPECT_EQ(doc.GetElementName(root), 0u);
        EXPECT_EQ(root, "Camera_Interface_Application");
    }
}

TEST(KvXMLDocument, BuildsNavigatesAndRereadsADocument) {
    KvTempFolder dir;
    KvXMLDocument doc;
    EXPECT_EQ(doc.GoToFirstChild(), KvCode::NOT_INITIALIZED);
    ASSERT_EQ(doc.CreateDocument("Camera_Interface_Application"), 0u);
    EXPECT_EQ(doc.CreateElement("Shutter Time"), KvCode::INVALID_ARGUMENT);

    ASSERT_EQ(doc.CreateElement("camera"), 0u);  // entered
    ASSERT_EQ(doc.SetAttribute("name", " first & <only> "), 0u);
    ASSERT_EQ(doc.CreateElement("video_source", "3"), 0u);  // not entered
    ASSERT_EQ(doc.CreateElement("label", "  a & b < c  "), 0u);
    ASSERT_EQ(doc.CreateElement("gone", "x"), 0u);
    ASSERT_EQ(doc.DeleteElement("gone"), 0u);
    EXPECT_EQ(doc.DeleteElement("gone"), KvCode::NOT_FOUND);
    ASSERT_EQ(doc.GoToParent(), 0u);
    ASSERT_EQ(doc.CreateElement("camera"), 0u);
    ASSERT_EQ(doc.SetAttribute("name", "second"), 0u);
    ASSERT_EQ(doc.GoToParent(), 0u);
    ASSERT_EQ(doc.CreateElement("note", "kept"), 0u);
    const std::string path = dir.File("config.xml");
    ASSERT_EQ(doc.SaveDocument(KvString(path)), 0u);

    KvXMLDocument back;
    ASSERT_EQ(back.LoadDocument(KvString(path)), 0u);
    ASSERT_EQ(back.GoToElement("camera"), 0u);
    KvString text;
    EXPECT_EQ(back.GetAttribute("name", text), 0u);
    EXPECT_EQ(text, " first & <only> ");
    EXPECT_EQ(back.GetAttribute("type", text), KvCode::NOT_FOUND);
    EXPECT_EQ(back.GetValue("video_source", text), 0u);
    EXPECT_EQ(text, "3");
    EXPECT_EQ(back.GetValue("label", text), 0u);
    EXPECT_EQ(text, "  a & b < c  ");
    EXPECT_EQ(back.GetValue("gone", text), KvCode::NOT_FOUND);

    ASSERT_EQ(back.PushLocation(), 0u);
    ASSERT_EQ(back.GoToNext("camera"), 0u);
    EXPECT_EQ(back.GetAttribute("name", text), 0u);
    EXPECT_EQ(text, "second");
    EXPECT_EQ(back.GoToNext("camera"), KvCode::NOT_FOUND);  // stays on the second
    ASSERT_EQ(back.GoToNext(), 0u);
    EXPECT_EQ(back.GetElementName(text), 0u);
    EXPECT_EQ(text, "note");
    ASSERT_EQ(back.PopLocation(), 0u);
    EXPECT_EQ(back.GetAttribute("name", text), 0u);
    EXPECT_EQ(text, " first & <only> ");
    EXPECT_EQ(back.PopLocation(), KvCode::WRONG_STATE);

    // A remembered element that is deleted can no longer be returned to.
    ASSERT_EQ(back.GoToFirstChild(), 0u);
    ASSERT_EQ(back.PushLocation(), 0u);
    ASSERT_EQ(back.GoToParent(), 0u);
    ASSERT_EQ(back.DeleteCurrentElement(), 0u);  // the first camera
    EXPECT_EQ(back.PopLocation(), KvCode::WRONG_STATE);
    ASSERT_EQ(back.GetElementName(text), 0u);
    EXPECT_EQ(text, "Camera_Interface_Application");
    EXPECT_EQ(back.DeleteCurrentElement(), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(back.GoToParent(), KvCode::NOT_FOUND);
    ASSERT_EQ(back.GoToFirstChild(), 0u);
    EXPECT_EQ(back.GetAttribute("name", text), 0u);
    EXPECT_EQ(text, "second");
}

TEST(KvXMLDocument, SavingReplacesTheFileOnlyWhenWritten) {
    KvTempFolder dir;
    KvXMLDocument doc;
    ASSERT_EQ(doc.CreateDocument("root"), 0u);
    EXPECT_EQ(doc.SaveDocument(KvString(dir.File("no/such/folder/x.xml"))), KvCode::CANNOT_CREATE);

    const std::string path = dir.Write("config.xml", "<old/>");
    ASSERT_EQ(doc.SaveDocument(KvString(path)), 0u);
    EXPECT_NE(KvTempFolder::Read(path).find("<root/>"), std::string::npos);
    EXPECT_EQ(dir.CountFiles(), 1u);  // no scratch file left behind
}

}  // namespace
