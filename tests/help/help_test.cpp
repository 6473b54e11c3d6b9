// The compiled help file bin/quoblens.chm, read back under Wine through the
// platform's own reader of compiled help files (the ITStorage of itss.dll,
// which the help viewer uses too): the window type and topic the program
// asks for, the contents file and every page it names, the code page the
// viewer will decode them with, and a description of every menu command.
// The file's texts are Shift_JIS, the code page of its language; they are
// read as UTF-8 to compare with the literals.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/text.h"

// The one interface of itss.dll needed here, in its vtable order up to the
// method used (mingw ships no header for it). It stays outside the anonymous
// namespace: a class with internal linkage and no overrider in sight lets
// the optimiser treat every call of its pure methods as unreachable.
struct IITStorage : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR *, DWORD, DWORD, IStorage **) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes *, DWORD, DWORD, IStorage **) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR *) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes *) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR *, IStorage *, DWORD, SNB, DWORD, IStorage **) = 0;
};
const CLSID kClsidItStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID kIidItStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

namespace {

std::wstring helpFilePath()
{
    std::string path = std::string("Z:") + QB_BINDIR + "/bin/quoblens.chm";
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return std::wstring(path.begin(), path.end());
}

class HelpFile : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitialize(nullptr);
        IITStorage *reader = nullptr;
        if (FAILED(CoCreateInstance(kClsidItStorage, nullptr, CLSCTX_INPROC_SERVER, kIidItStorage,
                                    reinterpret_cast<void **>(&reader))))
            return;
        reader->StgOpenStorage(helpFilePath().c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE,
                               nullptr, 0, &storage);
        reader->Release();
    }
    static void TearDownTestSuite()
    {
        if (storage)
            storage->Release();
        storage = nullptr;
        CoUninitialize();
    }
    void SetUp() override { ASSERT_NE(nullptr, storage) << "cannot open the help file"; }

    // The whole stream, or an empty string with found = false.
    static std::string read(const char *name, bool *found = nullptr)
    {
        std::wstring wide(name, name + std::strlen(name));
        IStream *stream = nullptr;
        std::string out;
        HRESULT hr = storage->OpenStream(wide.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
        if (found)
            *found = SUCCEEDED(hr);
        if (FAILED(hr))
            return out;
        char buffer[4096];
        ULONG got = 0;
        while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &got)) && got > 0)
            out.append(buffer, got);
        stream->Release();
        return out;
    }

    static IStorage *storage;
};
IStorage *HelpFile::storage = nullptr;

// #SYSTEM: a list of (code, length, data) records.
std::string systemRecord(const std::string &system, unsigned wanted)
{
    size_t at = 4;   // version
    while (at + 4 <= system.size()) {
        unsigned code = BYTE(system[at]) | BYTE(system[at + 1]) << 8;
        unsigned length = BYTE(system[at + 2]) | BYTE(system[at + 3]) << 8;
        at += 4;
        if (at + length > system.size())
            break;
        if (code == wanted)
            return system.substr(at, length);
        at += length;
    }
    return std::string();
}

std::string cString(const std::string &data) { return std::string(data.c_str()); }

// Text of the help file, which is in the code page of its language.
std::string fromShiftJis(const std::string &bytes) { return qbtest::fromCodePage(932, bytes); }

TEST_F(HelpFile, IsJapaneseWithTheTopTopicAndWindowTypeAsDefaults)
{
    bool found = false;
    std::string system = read("/#SYSTEM", &found);
    ASSERT_TRUE(found);
    std::string lcid = systemRecord(system, 4);
    ASSERT_GE(lcid.size(), 4u);
    // The viewer decodes the contents file with this language's code page.
    EXPECT_EQ(0x0411u, unsigned(BYTE(lcid[0]) | BYTE(lcid[1]) << 8));
    EXPECT_EQ("hsource/helptop.html", cString(systemRecord(system, 2)));
    EXPECT_EQ("wintype1", cString(systemRecord(system, 5)));
    EXPECT_EQ("quoblens.hhc", cString(systemRecord(system, 0)));
    EXPECT_EQ("クオビクス ヘルプ", fromShiftJis(cString(systemRecord(system, 3))));
}

TEST_F(HelpFile, DefinesTheWindowTypeTheProgramOpens)
{
    // #WINDOWS: entry count, entry size, then HH_WINTYPE records whose
    // string fields are offsets into #STRINGS.
    std::string windows = read("/#WINDOWS");
    std::string strings = read("/#STRINGS");
    ASSERT_GE(windows.size(), 8u);
    DWORD count = 0, size = 0;
    std::memcpy(&count, windows.data(), 4);
    std::memcpy(&size, windows.data() + 4, 4);
    ASSERT_EQ(1u, count);
    ASSERT_GE(size, 112u);
    ASSERT_GE(windows.size(), 8 + size);
    auto text = [&](size_t field) {
        DWORD offset = 0;
        std::memcpy(&offset, windows.data() + 8 + field, 4);
        return offset < strings.size() ? std::string(strings.c_str() + offset) : std::string("?");
    };
    EXPECT_EQ("wintype1", text(8));                 // pszType
    EXPECT_EQ("クオビクス ヘルプ", fromShiftJis(text(20)));  // pszCaption
    EXPECT_EQ("quoblens.hhc", text(96));             // pszToc
    EXPECT_EQ("hsource/helptop.html", text(104));    // pszFile
    EXPECT_EQ("hsource/helptop.html", text(108));    // pszHome
}

TEST_F(HelpFile, TopTopicIsAShiftJisPageNamingTheProgramAndVersion)
{
    bool found = false;
    std::string page = read("/hsource/helptop.html", &found);
    ASSERT_TRUE(found);
    EXPECT_NE(std::string::npos, page.find("charset=Shift_JIS"));
    EXPECT_EQ(std::string::npos, page.find("charset=UTF-8"));
    EXPECT_NE(std::string::npos, fromShiftJis(page).find("クオビクス Version1.51"));
}

TEST_F(HelpFile, EveryContentsEntryIsAPageOfTheFile)
{
    bool found = false;
    std::string contents = read("/quoblens.hhc", &found);
    ASSERT_TRUE(found);
    EXPECT_NE(std::string::npos, fromShiftJis(contents).find("はじめに"));
    const std::string key = "name=\"Local\" value=\"";
    std::vector<std::string> pages;
    for (size_t at = contents.find(key); at != std::string::npos; at = contents.find(key, at)) {
        at += key.size();
        pages.push_back(contents.substr(at, contents.find('"', at) - at));
    }
    ASSERT_GE(pages.size(), 9u);
    EXPECT_EQ("hsource/helptop.html", pages.front());
    for (const std::string &page : pages) {
        SCOPED_TRACE(page);
        std::string text = read(("/" + page).c_str(), &found);
        EXPECT_TRUE(found);
        EXPECT_NE(std::string::npos, text.find("charset=Shift_JIS"));
        EXPECT_NE(std::string::npos, text.find("<h1>"));
    }
}

// Every command of the program's menu has an entry 「name」 on the menu page,
// the name being the item text without its access key and shortcut.
TEST_F(HelpFile, MenuPageDescribesEveryMenuCommand)
{
    std::string page = fromShiftJis(read("/hsource/menu.html"));
    ASSERT_FALSE(page.empty());
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), "QUOBLENSMENU");
    ASSERT_NE(nullptr, menu);
    int checked = 0;
    for (int p = 0; p < GetMenuItemCount(menu); ++p) {
        HMENU popup = GetSubMenu(menu, p);
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            wchar_t text[256] = {};
            if (GetMenuStringW(popup, i, text, 256, MF_BYPOSITION) <= 0)
                continue;   // separator
            std::string name = qbtest::utf8(text);
            name = name.substr(0, name.find("(&"));
            SCOPED_TRACE(name);
            EXPECT_NE(std::string::npos, page.find("「" + name + "」"));
            ++checked;
        }
    }
    DestroyMenu(menu);
    EXPECT_EQ(17, checked);
}

} // namespace
