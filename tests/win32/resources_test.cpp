// The resources of the built Lingerjob.exe, read back the Windows way:
//   ResourcesTest.exe <path of Lingerjob.exe>
// The version resource (numbers, the one US English string table with exactly
// five strings), the icon (one group of three images), and the file's kind
// (x86_64, GUI subsystem).
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <map>
#include <string>
#include <vector>

#include "tests/win32/check.h"

namespace {

std::wstring g_exe;

// One node of a VS_VERSIONINFO tree: wLength, wValueLength, wType, szKey, then
// the value and the children, each on a 4-byte boundary.
struct VersionNode {
    std::wstring key;
    const BYTE* value = nullptr;
    WORD valueLength = 0;  // words for text values, bytes for binary ones
    WORD type = 0;         // 1 text, 0 binary
    std::vector<VersionNode> children;
};

const BYTE* align4(const BYTE* p, const BYTE* base) {
    return base + ((p - base + 3) & ~static_cast<std::ptrdiff_t>(3));
}

VersionNode parseNode(const BYTE* p, const BYTE* base) {
    VersionNode node;
    const WORD length = *reinterpret_cast<const WORD*>(p);
    node.valueLength = *reinterpret_cast<const WORD*>(p + 2);
    node.type = *reinterpret_cast<const WORD*>(p + 4);
    const auto* key = reinterpret_cast<const wchar_t*>(p + 6);
    node.key = key;
    const BYTE* at = align4(p + 6 + (node.key.size() + 1) * 2, base);
    node.value = at;
    const std::size_t valueBytes = node.type == 1 ? node.valueLength * 2u : node.valueLength;
    at = align4(at + valueBytes, base);
    const BYTE* end = p + length;
    while (at + 6 < end) {
        const WORD childLength = *reinterpret_cast<const WORD*>(at);
        if (childLength == 0) break;
        node.children.push_back(parseNode(at, base));
        at = align4(at + childLength, base);
    }
    return node;
}

void testVersion() {
    check::section("version resource");
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(g_exe.c_str(), &ignored);
    CHECK(size > 0);
    if (size == 0) return;
    std::vector<BYTE> data(size);
    CHECK(GetFileVersionInfoW(g_exe.c_str(), 0, size, data.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    CHECK(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    if (fixed) {
        CHECK_EQ(fixed->dwSignature, 0xFEEF04BDu);
        CHECK_EQ(fixed->dwFileVersionMS, 0x00010000u);  // 1,0
        CHECK_EQ(fixed->dwFileVersionLS, 0x00000000u);  // 0,0
        CHECK_EQ(fixed->dwProductVersionMS, 0x00010000u);
        CHECK_EQ(fixed->dwProductVersionLS, 0x00000000u);
        CHECK_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    }

    WORD* translation = nullptr;
    CHECK(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                         reinterpret_cast<void**>(&translation), &len));
    CHECK_EQ(len, 4u);
    if (translation && len >= 4) {
        CHECK_EQ(translation[0], 0x0409);  // US English
        CHECK_EQ(translation[1], 1200);    // Unicode
    }

    const std::map<std::wstring, std::wstring> want{
        {L"ProductName", L"Lingerjob"},
        {L"FileVersion", L"1.00"},
        {L"ProductVersion", L"1.00"},
        {L"InternalName", L"Lingerjob"},
        {L"OriginalFilename", L"Lingerjob.exe"},
        {L"FileDescription", L"Lingerjob"},
    };
    for (const auto& [key, value] : want) {
        wchar_t* text = nullptr;
        const std::wstring path = L"\\StringFileInfo\\040904B0\\" + key;
        const bool found =
            VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&text), &len);
        CHECK(found);
        if (found && text) CHECK_EQ(std::wstring(text), value);
    }

    // Exactly one string table, holding exactly those six strings.
    const VersionNode root = parseNode(data.data(), data.data());
    CHECK_EQ(root.key, std::wstring(L"VS_VERSION_INFO"));
    int stringFileInfos = 0;
    for (const auto& child : root.children) {
        if (child.key != L"StringFileInfo") continue;
        ++stringFileInfos;
        CHECK_EQ(child.children.size(), 1u);
        if (child.children.empty()) continue;
        const VersionNode& table = child.children[0];
        CHECK(_wcsicmp(table.key.c_str(), L"040904B0") == 0);
        std::map<std::wstring, std::wstring> got;
        for (const auto& s : table.children) {
            std::wstring value(reinterpret_cast<const wchar_t*>(s.value), s.valueLength);
            while (!value.empty() && value.back() == L'\0') value.pop_back();
            got[s.key] = value;
        }
        CHECK_EQ(got.size(), 6u);
        CHECK(got == want);
    }
    CHECK_EQ(stringFileInfos, 1);
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct GroupIconDir {
    WORD reserved;
    WORD type;
    WORD count;
    GroupIconEntry entries[1];
};
#pragma pack(pop)

BOOL CALLBACK countName(HMODULE, LPCWSTR, LPWSTR, LONG_PTR param) {
    ++*reinterpret_cast<int*>(param);
    return TRUE;
}

void testIcon() {
    check::section("the application icon: one group, three images");
    HMODULE module = LoadLibraryExW(g_exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    CHECK(module != nullptr);
    if (!module) return;
    int groups = 0, icons = 0;
    EnumResourceNamesW(module, reinterpret_cast<LPCWSTR>(RT_GROUP_ICON), countName,
                       reinterpret_cast<LONG_PTR>(&groups));
    EnumResourceNamesW(module, reinterpret_cast<LPCWSTR>(RT_ICON), countName,
                       reinterpret_cast<LONG_PTR>(&icons));
    CHECK_EQ(groups, 1);
    CHECK_EQ(icons, 3);
    HRSRC res =
        FindResourceW(module, MAKEINTRESOURCEW(1), reinterpret_cast<LPCWSTR>(RT_GROUP_ICON));
    CHECK(res != nullptr);
    if (res) {
        const auto* dir = static_cast<const GroupIconDir*>(LockResource(LoadResource(module, res)));
        CHECK_EQ(dir->type, 1);
        CHECK_EQ(dir->count, 3);
        struct Image {
            int width, height, colours, bits;
        };
        const Image want[3] = {{32, 32, 2, 1}, {32, 32, 16, 4}, {16, 16, 16, 4}};
        for (int i = 0; i < 3 && i < dir->count; ++i) {
            const GroupIconEntry& e = dir->entries[i];
            CHECK_EQ(static_cast<int>(e.width), want[i].width);
            CHECK_EQ(static_cast<int>(e.height), want[i].height);
            CHECK_EQ(static_cast<int>(e.colorCount), want[i].colours);
            CHECK_EQ(static_cast<int>(e.bitCount), want[i].bits);
            // Each image is there and loads as an icon of its size.
            HRSRC image =
                FindResourceW(module, MAKEINTRESOURCEW(e.id), reinterpret_cast<LPCWSTR>(RT_ICON));
            CHECK(image != nullptr);
            if (!image) continue;
            CHECK_EQ(SizeofResource(module, image), e.bytesInRes);
            auto* bits = static_cast<BYTE*>(LockResource(LoadResource(module, image)));
            HICON icon = CreateIconFromResourceEx(bits, e.bytesInRes, TRUE, 0x00030000,
                                                  want[i].width, want[i].height, LR_DEFAULTCOLOR);
            CHECK(icon != nullptr);
            if (icon) DestroyIcon(icon);
        }
    }
    FreeLibrary(module);
}

void testFileKind() {
    check::section("an x86_64 GUI program");
    HANDLE file = CreateFileW(g_exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    CHECK(file != INVALID_HANDLE_VALUE);
    if (file == INVALID_HANDLE_VALUE) return;
    std::vector<BYTE> head(4096);
    DWORD got = 0;
    ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &got, nullptr);
    CloseHandle(file);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(head.data());
    CHECK_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(head.data() + dos->e_lfanew);
    CHECK_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    CHECK_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
    CHECK_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) {
        std::printf("usage: ResourcesTest.exe <Lingerjob.exe>\n");
        return 2;
    }
    g_exe = argv[1];
    testVersion();
    testIcon();
    testFileKind();
    return check::summary();
}
