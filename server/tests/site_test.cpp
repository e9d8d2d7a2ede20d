// The site's rules without a network: request paths, upload forms, what counts as a program, and the
// names repeated in download headers.
#include "server/root_files.h"
#include "server/share_store.h"

#include <gtest/gtest.h>

using namespace aquine::server;

TEST(RequestPaths, DecodeOnceAndRefuseWhatCouldEscape) {
    auto p = parseRequestPath("/notepad_share//index.html");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->names, (std::vector<std::string>{"notepad_share", "index.html"}));
    EXPECT_FALSE(p->trailingSlash);
    p = parseRequestPath("/%E6%96%87%E4%BB%B6/");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->names, std::vector<std::string>{"文件"});
    EXPECT_TRUE(p->trailingSlash);
    // Double encoding stays one literal name, never a parent folder.
    p = parseRequestPath("/%252e%252e/x");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->names.front(), "%2e%2e");

    for (const char* bad : {"", "x", "/a%00.txt", "/a%5cb", "/a\\b", "/%", "/%2", "/%zz"})
        EXPECT_FALSE(parseRequestPath(bad)) << bad;
    for (const char* name : {".", "..", ".env", ""})
        EXPECT_FALSE(isServableName(name)) << name;
    EXPECT_TRUE(isServableName("a.b"));
}

TEST(RequestPaths, QueryValues) {
    EXPECT_EQ(queryValue("mod=viewthread&tid=269", "tid"), "269");
    EXPECT_EQ(queryValue("a=1&mod=view+thread%21", "mod"), "view thread!");
    EXPECT_EQ(queryValue("tid", "tid"), "");
    EXPECT_FALSE(queryValue("xtid=1", "tid"));
}

TEST(Uploads, TheFilePartOfAFormIsFoundWithItsName) {
    const std::string body = "--XyZ\r\nContent-Disposition: form-data; name=\"note\"\r\n\r\nhello\r\n"
                             "--XyZ\r\ncontent-disposition: form-data; name=\"file\"; filename=\"C:\\docs\\说明.txt\""
                             "\r\nContent-Type: text/plain\r\n\r\nline\r\n--XyZ not yet\r\n\r\n--XyZ--\r\n";
    auto file = parseMultipartUpload("multipart/form-data; boundary=\"XyZ\"", body);
    ASSERT_TRUE(file) << file.reason();
    EXPECT_EQ(file->content, "line\r\n--XyZ not yet\r\n");
    EXPECT_EQ(cleanFileName(file->name), "说明.txt");

    EXPECT_FALSE(parseMultipartUpload("text/plain", body));
    EXPECT_FALSE(parseMultipartUpload("multipart/form-data; boundary=XyZ",
                                      "--XyZ\r\nContent-Disposition: form-data; name=\"note\"\r\n\r\nx\r\n--XyZ--"));
    auto none = parseMultipartUpload("multipart/form-data; boundary=XyZ",
                                     "--XyZ\r\nContent-Disposition: form-data; name=\"file\"; filename=\"\"\r\n\r\n"
                                     "\r\n--XyZ--\r\n");
    EXPECT_EQ(none.reason(), "请先选择要上传的文件。");
}

TEST(Uploads, ProgramsAreKnownByTheirFirstBytes) {
    EXPECT_TRUE(looksExecutable(std::string("\x7f"
                                            "ELF",
                                            4)));
    EXPECT_TRUE(looksExecutable("MZ"));
    EXPECT_TRUE(looksExecutable("#!/usr/bin/env python3"));
    EXPECT_FALSE(looksExecutable(""));
    EXPECT_FALSE(looksExecutable("M"));
    EXPECT_FALSE(looksExecutable(" #!"));
    EXPECT_FALSE(looksExecutable("ELF"));
}

TEST(Uploads, NamesInHeadersCannotBreakThem) {
    EXPECT_EQ(cleanFileName("a\"b;\r\nc.txt"), "abc.txt");
    EXPECT_EQ(cleanFileName("../../.bashrc"), "bashrc");
    EXPECT_EQ(cleanFileName(""), "shared.txt");
    EXPECT_EQ(attachmentDisposition("说明 1.txt"),
              "attachment; filename=\"______ 1.txt\"; filename*=UTF-8''%E8%AF%B4%E6%98%8E%201.txt");
}
