// The update descriptor: the three texts read from documents of every shape
// the web serves, the byte-wise version comparison, and hostile documents
// that must fail or parse cleanly.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "descriptor/descriptor.h"
#include "descriptor/web_address.h"

namespace {

// A descriptor with the three elements in their places.
std::string Pad(const std::string& version, const std::string& info = "http://i/",
                const std::string& download = "http://d/") {
    return "<XML_DIZ_INFO><Program_Info><Program_Version>" + version +
           "</Program_Version></Program_Info><Web_Info><Application_URLs><Application_Info_URL>" +
           info +
           "</Application_Info_URL></Application_URLs><Download_URLs><Primary_Download_URL>" +
           download + "</Primary_Download_URL></Download_URLs></Web_Info></XML_DIZ_INFO>";
}

struct Parsed {
    bool ok = false;
    UpdateDescriptor d;
};

Parsed Parse(const std::string& text) {
    Parsed p;
    p.ok = ParseDescriptor(text.c_str(), text.size(), p.d);
    return p;
}

TEST(UpdateDescriptor, ReadsTheThreeTexts) {
    const struct {
        const char* name;
        std::string document;
        bool ok;
        const char* version;
        const char* info;
    } cases[] = {
        {"plain", Pad("1.2"), true, "1.2", "http://i/"},
        {"declaration with encoding and a byte-order mark",
         "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + Pad("1.3"), true, "1.3",
         "http://i/"},
        {"blanks around and inside are condensed", Pad("  1.2 \n beta "), true, "1.2 beta",
         "http://i/"},
        {"CDATA is text", Pad("<![CDATA[1.4]]>"), true, "1.4", "http://i/"},
        {"entities are decoded", Pad("&#49;.5", "http://a/?x=1&amp;y=2"), true, "1.5",
         "http://a/?x=1&y=2"},
        {"a comment as first child gives no text", Pad("<!-- next -->1.6"), true, "", "http://i/"},
        {"an element as first child gives no text", Pad("<b>1.7</b>"), true, "", "http://i/"},
        {"empty element", Pad(""), true, "", "http://i/"},
        {"the first of two elements is taken",
         "<XML_DIZ_INFO><Program_Info><Program_Version>2.0</Program_Version><Program_Version>9.9"
         "</Program_Version></Program_Info></XML_DIZ_INFO>",
         true, "2.0", ""},
        {"a path that breaks leaves the text empty",
         "<XML_DIZ_INFO><Program_Info/><Web_Info/></XML_DIZ_INFO>", true, "", ""},
        {"another root", "<PAD>" + Pad("1.2") + "</PAD>", true, "", ""},
        {"empty body", "", false, "", ""},
        {"not XML", "<html><body>404 Not Found</body>", false, "", ""},
        {"unclosed root", Pad("1.2").substr(0, 60), false, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Parsed p = Parse(c.document);
        EXPECT_EQ(p.ok, c.ok);
        EXPECT_EQ(p.d.latestVersion, c.version);
        EXPECT_EQ(p.d.infoUrl, c.info);
        if (c.ok && *c.info) {
            EXPECT_EQ(p.d.downloadUrl, "http://d/");
        }
    }
}

TEST(UpdateDescriptor, VersionsCompareByteByByte) {
    const struct {
        const char* latest;
        const char* installed;
        bool newer;
    } cases[] = {
        {"1.2", "1.1", true},   {"1.1", "1.1", false}, {"1.10", "1.1", true},
        {"1.10", "1.9", false}, {"2.0", "1.1", true},  {" 1.2", "1.1", false},
        {"", "1.1", false},     {"1.1", "", true},     {"\xC3\xA9", "z", true}, // unsigned bytes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.latest) + " against " + c.installed);
        EXPECT_EQ(IsNewerVersion(c.latest, c.installed), c.newer);
    }
}

// Documents meant to break a parser fail or parse, and nothing else
// happens (the sanitizer lane watches).
TEST(UpdateDescriptor, HostileDocumentsFailCleanly) {
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    const std::string cases[] = {
        deep,
        "<XML_DIZ_INFO>\xE2\x82",
        "<XML_DIZ_INFO><Program_Info><Program_Version>1.\xF0\x9F",
        "<\xEF<",
        "<XML_DIZ_INFO a='\xEF<",
        "<!DOCTYPE a [<!ENTITY e \"&e;&e;\">]><a>&e;</a>",
        std::string(kMaxDescriptorSize, '<'),
        std::string("<a>\0</a>", 8),
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text.substr(0, 30));
        const Parsed p = Parse(text);
        EXPECT_TRUE(p.d.latestVersion.empty());
    }
}

// Descriptors published by other projects, where the folder of samples is
// beside the project.
TEST(UpdateDescriptor, RealDescriptorsOfOtherProjects) {
    const struct {
        const char* file;
        const char* version;
        const char* info;
        const char* download;
    } cases[] = {
        {"hstr.xml", "3.1.0", "https://github.com/dvorka/hstr",
         "https://github.com/dvorka/hstr/releases"},
        {"qvge.xml", "0.5.5", "https://github.com/ArsMasiuk/qvge",
         "https://sourceforge.net/projects/qvge/files/0.5.5/qvge-0.5.5-setup-64bit.exe/download"},
        {"dvdstyler.xml", "3.0.3", "http://www.dvdstyler.org",
         "http://www.dvdstyler.org/download/DVDStyler-3.0.3-win32-pb.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::ifstream in(std::string(ORVANTA_PAD_SAMPLES) + "/" + c.file, std::ios::binary);
        if (!in)
            GTEST_SKIP() << "the samples are not beside the project here";
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        const Parsed p = Parse(text);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(p.d.latestVersion, c.version);
        EXPECT_EQ(p.d.infoUrl, c.info);
        EXPECT_EQ(p.d.downloadUrl, c.download);
        EXPECT_TRUE(IsNewerVersion(p.d.latestVersion, "1.1") == (std::string(c.version) > "1.1"));
        EXPECT_TRUE(IsWebAddress(p.d.infoUrl));
        EXPECT_TRUE(IsWebAddress(p.d.downloadUrl));
    }
}

// Only absolute web addresses may reach the shell: anything else a
// descriptor names could be a program, a share or a local file.
TEST(UpdateDescriptor, OnlyWebAddressesAreOpened) {
    const std::string longest = "http://h/" + std::string(kMaxWebAddress - 9, 'a');
    const struct {
        std::string text;
        bool open;
    } cases[] = {
        {"http://www.pellmora.com/", true},
        {"https://www.pellmora.com/orvanta/setup.exe?x=1&y=%20#top", true},
        {"HTTP://Example.COM", true},
        {"hTtPs://example.com:8080/a", true},
        {"http://127.0.0.1:65535", true},
        {"http://[::1]/", true},
        {"http://[2001:db8::7]:80/x", true},
        {"http://h?q", true},
        {"http://h#f", true},
        {longest, true},
        {longest + "a", false},
        {"", false},
        {"http://", false},
        {"http:///path", false},
        {"http:/host/", false},
        {"http:host", false},
        {"https//host", false},
        {"ftp://host/", false},
        {"file:///C:/Windows/System32/cmd.exe", false},
        {"FILE://host/share/setup.exe", false},
        {"C:\\Windows\\System32\\cmd.exe", false},
        {"\\\\host\\share\\setup.exe", false},
        {"cmd", false},
        {"calc.exe", false},
        {"javascript:alert(1)", false},
        {"mailto:a@b.c", false},
        {"shell:startup", false},
        {"ms-settings:", false},
        {" http://host/", false},
        {"http://host/ x", false},
        {"http://host/\tx", false},
        {"http://host/\nx", false},
        {"http://host/\x7f", false},
        {"http://host/\"-x", false},
        {"http://host\\share", false},
        {"http://host/\xc3\xa9", false},
        {std::string("http://host/\0x", 14), false},
        {"http://user@host/", false},
        {"http://www.pellmora.com@evil.example/", false},
        {"http://host:/", false},
        {"http://host:123456/", false},
        {"http://host:8a/", false},
        {"http://ho_st/", false},
        {"http://./", false},
        {"http://[]/", false},
        {"http://[::1/", false},
        {"http://[g::1]/", false},
        {"http://host/a@b", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsWebAddress(c.text), c.open);
    }
}

} // namespace
