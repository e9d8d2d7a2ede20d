// The site's rules without a network: request paths and routes, upload forms, what counts as a
// program, the names repeated in download headers, public addresses, the ban list and upload budgets.
#include "server/ban_list.h"
#include "server/root_files.h"
#include "server/share_store.h"
#include "server/site.h"
#include "server/upload_budget.h"

#include "common/unicode.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace aquine::server;
using namespace std::chrono_literals;

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

    // Dot segments and repeated slashes resolve before anything is looked up; nothing climbs above "/".
    p = parseRequestPath("/a/./x/..//b/%2e%2e/c/.");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->names, (std::vector<std::string>{"a", "c"}));
    EXPECT_TRUE(p->trailingSlash);
    p = parseRequestPath("/../../%2E%2E/etc");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->names, std::vector<std::string>{"etc"});

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
    EXPECT_TRUE(looksExecutable("\xEF\xBB\xBF#!/bin/sh"));
    EXPECT_TRUE(looksExecutable("\xEF\xBB\xBFMZ"));
    EXPECT_FALSE(looksExecutable("\xEF\xBB\xBF\xE8\xAF\xB4#!"));

    for (const char* name : {"run.bat", "RUN.BaT", "a.cmd", "x.ps1", "setup.EXE", "a.msi", "a.scr", "a.vbs", "a.js"})
        EXPECT_TRUE(programExtension(cleanFileName(name))) << name;
    // Windows drops the trailing dots and spaces, and the direction marks only change how it reads.
    EXPECT_EQ(programExtension(cleanFileName("invoice.exe. . ")), ".exe");
    EXPECT_EQ(programExtension(cleanFileName("\xE2\x80\xAEtxt.exe")), ".exe");
    for (const char* name : {"notes.txt", "data.json", "exe", "a.exe.txt", "script.jsx", ".bat"})
        EXPECT_FALSE(programExtension(cleanFileName(name))) << name;
}

TEST(Uploads, NamesAreCutOnACharacterKeepingTheirExtension) {
    std::string long300;
    for (int i = 0; i < 100; ++i)
        long300 += "说";
    const auto isUtf8 = [](const std::string& s) {
        for (std::size_t i = 0, len = 0; i < s.size(); i += len)
            if (aquine::unicode::readUtf8(s, i, len) == aquine::unicode::kIllFormed)
                return false;
        return true;
    };
    for (const std::string& name : {long300 + ".txt", "a" + long300 + ".tar.gz", long300 + "." + long300,
                                    long300 + "  ", std::string(250, 'x') + ".txt"}) {
        const auto clean = cleanFileName(name);
        EXPECT_LE(clean.size(), kMaxNameBytes) << name;
        EXPECT_GE(clean.size(), kMaxNameBytes - 3) << name;
        EXPECT_TRUE(isUtf8(clean)) << clean;
        EXPECT_EQ(cleanFileName(clean), clean) << "cleaning again changes nothing";
    }
    EXPECT_TRUE(cleanFileName(long300 + ".txt").ends_with("说.txt"));
    EXPECT_TRUE(cleanFileName("a" + long300 + ".tar.gz").ends_with("说.gz"));

    // GBK names (the notepad's users' own) are read as GBK, even where a GBK byte is a backslash.
    EXPECT_EQ(cleanFileName("\xCB\xB5\xC3\xF7.txt"), "说明.txt");
    EXPECT_EQ(cleanFileName("C:\\docs\\\x81\x5C.txt"), "乗.txt");
    EXPECT_EQ(cleanFileName("\xCB\xB5\xFF.txt"), "说\xEF\xBF\xBD.txt") << "what is neither shows as U+FFFD";
    EXPECT_EQ(cleanFileName("说明.txt"), "说明.txt") << "UTF-8 stays as it is";
    const std::string keptCut = (long300 + ".txt").substr(0, 200); // as older versions kept long names
    EXPECT_EQ(cleanFileName(keptCut), long300.substr(0, 198));
    EXPECT_EQ(cleanFileName("ab\xE8\xAF"), "ab璇") << "a short GBK name is no cut UTF-8 one";
    EXPECT_EQ(cleanFileName("a:b|c?.txt"), "a_b_c_.txt");
}

TEST(Uploads, NamesInHeadersCannotBreakThem) {
    EXPECT_EQ(cleanFileName("a\"b;\r\nc.txt"), "abc.txt");
    EXPECT_EQ(cleanFileName("../../.bashrc"), "bashrc");
    EXPECT_EQ(cleanFileName(""), "shared.txt");
    EXPECT_EQ(attachmentDisposition("说明 1.txt"),
              "attachment; filename=\"______ 1.txt\"; filename*=UTF-8''%E8%AF%B4%E6%98%8E%201.txt");
}

TEST(PublicAddresses, OnlyABaseForLinksIsTaken) {
    EXPECT_EQ(*parsePublicUrl("HTTPS://Share.Example.COM:8443/Aquine/"), "https://share.example.com:8443/Aquine");
    EXPECT_EQ(*parsePublicUrl("http://127.0.0.1"), "http://127.0.0.1");
    EXPECT_EQ(*parsePublicUrl("http://[::1]:8080/"), "http://[::1]:8080");
    for (const char* bad :
         {"", "example.com", "ftp://example.com", "http://", "http:///x", "http://a b", "http://user@example.com",
          "http://example.com/?q=1", "http://example.com/#top", "http://example.com:0", "http://example.com:65536",
          "http://example.com:80x", "http://example.com:", "http://[::1", "http://[zz]/", "http://example.com//x",
          "http://example.com/\"x", "http://-a.example"}) {
        const auto url = parsePublicUrl(bad);
        EXPECT_FALSE(url) << bad;
        EXPECT_NE(url.reason().find("公开地址无效"), std::string::npos) << bad;
    }
}

TEST(BanLists, ReadWholeUpToTheCapAndSwappedOnChange) {
    const auto folder = std::filesystem::temp_directory_path() / ("aquine-bans-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto file = folder / "bans.txt";
    BanList bans(file);
    EXPECT_FALSE(bans.isBanned("10.0.0.1")) << "no file bans no one";
    std::ofstream(file) << "10.0.0.1  # abuse\r\n\n  ::1\n";
    EXPECT_TRUE(bans.reloadIfChanged());
    EXPECT_TRUE(bans.isBanned("10.0.0.1"));
    EXPECT_TRUE(bans.isBanned("::1"));
    EXPECT_FALSE(bans.reloadIfChanged()) << "read again only when it changed";

    std::string big = "10.0.0.2\n";
    while (big.size() < kBanListLimit - 5)
        big += "10.9.9.9\n";
    {
        std::ofstream out(file, std::ios::trunc);
        out << big << "10.0.0.3\n10.0.0.4\n";
    }
    EXPECT_TRUE(bans.reloadIfChanged());
    EXPECT_TRUE(bans.truncated());
    EXPECT_TRUE(bans.isBanned("10.0.0.2"));
    EXPECT_FALSE(bans.isBanned("10.0.0.3")) << "a line the cap cuts is no address";
    EXPECT_FALSE(bans.isBanned("10.0.0.1")) << "the old list went whole";
    EXPECT_FALSE(bans.isBanned("10.0."));

    std::filesystem::remove(file);
    EXPECT_TRUE(bans.reloadIfChanged());
    EXPECT_FALSE(bans.isBanned("10.0.0.2"));
    EXPECT_FALSE(bans.truncated());
    std::filesystem::remove_all(folder);
}

TEST(UploadBudgets, RequestsAndBytesRefillAMinuteAtATime) {
    UploadBudget budget({6, 1000});
    const auto t0 = UploadBudget::Clock::time_point{} + 1h;
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(budget.charge("10.0.0.1", 10, t0), 0s) << i;
    EXPECT_EQ(budget.charge("10.0.0.1", 10, t0), 10s) << "one request a ten seconds";
    EXPECT_EQ(budget.charge("10.0.0.1", 10, t0 + 9s), 1s);
    EXPECT_EQ(budget.charge("10.0.0.1", 10, t0 + 10s), 0s);
    EXPECT_EQ(budget.charge("10.0.0.2", 10, t0), 0s) << "each address has its own";

    // One upload larger than the budget passes; the debt then holds the next.
    EXPECT_EQ(budget.charge("10.0.0.3", 2500, t0), 0s);
    EXPECT_EQ(budget.charge("10.0.0.3", 1, t0), 91s) << "1500 bytes of debt plus one, at 1000 a minute";
    EXPECT_EQ(budget.charge("10.0.0.3", 1, t0 + 91s), 0s);

    // An IPv6 client owns its /64, so new addresses from it share one budget.
    EXPECT_EQ(UploadBudget::holderOf("2001:db8:1:2:aaaa::1"), "2001:db8:1:2::/64");
    EXPECT_EQ(UploadBudget::holderOf("10.0.0.1"), "10.0.0.1");
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(budget.charge("2001:db8:1:2::" + std::to_string(i + 1), 1, t0), 0s);
    EXPECT_GT(budget.charge("2001:db8:1:2::ff", 1, t0), 0s);
    EXPECT_EQ(budget.charge("2001:db8:1:3::1", 1, t0), 0s);
}

TEST(UploadBudgets, MemoryFollowsTheClientsOfTheLastMinute) {
    UploadBudget budget({30, 1e6}, 1000);
    const auto t0 = UploadBudget::Clock::time_point{} + 1h;
    for (int i = 0; i < 5000; ++i)
        budget.charge("10.1." + std::to_string(i / 256) + "." + std::to_string(i % 256), 100, t0);
    EXPECT_LE(budget.clients(), 1001u) << "past the cap newcomers share one budget";
    EXPECT_GT(budget.charge("10.200.0.1", 100, t0), 0s) << "and that one is spent";
    budget.charge("10.0.0.1", 100, t0 + 61s);
    EXPECT_EQ(budget.clients(), 1u) << "refilled addresses are forgotten";
}
