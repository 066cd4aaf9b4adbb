// Pieces of the Windows build that need no window: the argument text taken
// from a command line, text conversions, colour values and the Tool Help
// enumeration.
#include <windows.h>

#include <algorithm>
#include <string>

#include "app/win32/command_line.h"
#include "app/win32/text.h"
#include "app/win32/win32_form.h"
#include "tests/win32/check.h"
#include "tests/win32/test_util.h"
#include "watch/lower_case.h"
#include "watch/windows/toolhelp_enumerator.h"

using namespace testutil;

namespace {

void testArgumentText() {
    check::section("argument text: the program's name and one blank removed");
    CHECK_EQ(argumentText(L""), std::wstring(L""));
    CHECK_EQ(argumentText(L"Lingerjob.exe"), std::wstring(L""));
    CHECK_EQ(argumentText(L"Lingerjob.exe /1 /calc.exe"), std::wstring(L"/1 /calc.exe"));
    CHECK_EQ(argumentText(L"Lingerjob /1 /calc.exe "), std::wstring(L"/1 /calc.exe "));
    CHECK_EQ(argumentText(L"C:\\Tools\\Lingerjob.exe  /1 /x"), std::wstring(L" /1 /x"));
    CHECK_EQ(argumentText(L"Lingerjob.exe\t/0 /x"), std::wstring(L"/0 /x"));
    CHECK_EQ(argumentText(L"Lingerjob.exe "), std::wstring(L""));
    CHECK_EQ(argumentText(L"Lingerjob.exe   "),
             std::wstring(L"  "));  // blanks only: rejected later
    // A quoted name runs to the next quote, blanks inside included.
    CHECK_EQ(argumentText(L"\"C:\\My Tools\\Lingerjob.exe\" /1 /calc.exe"),
             std::wstring(L"/1 /calc.exe"));
    CHECK_EQ(argumentText(L"\"C:\\My Tools\\Lingerjob.exe\""), std::wstring(L""));
    CHECK_EQ(argumentText(L"\"C:\\My Tools\\Lingerjob.exe\"/1 /x"), std::wstring(L"/1 /x"));
    CHECK_EQ(argumentText(L"\"C:\\My Tools\\Lingerjob.exe\"  /1 /x"), std::wstring(L" /1 /x"));
    CHECK_EQ(argumentText(L"\"C:\\unterminated /1 /x"), std::wstring(L""));
    // The arguments themselves stay exactly as written, quotes included.
    CHECK_EQ(argumentText(L"L.exe /1 /\"my task\" "), std::wstring(L"/1 /\"my task\" "));
    CHECK_EQ(argumentText(L"L.exe /1 /Grüße"), std::wstring(L"/1 /Grüße"));

    // What this very process got: its own command line.
    const std::wstring own = GetCommandLineW();
    CHECK(own.find(argumentText(own)) != std::wstring::npos);
}

void testText() {
    check::section("UTF-8 and UTF-16");
    CHECK_EQ(toWide("Grüße \xE2\x82\xAC"), std::wstring(L"Grüße \u20AC"));
    CHECK_EQ(toUtf8(L"Grüße \u20AC"), std::string("Grüße \xE2\x82\xAC"));
    CHECK_EQ(toUtf8(toWide("")), std::string());
    CHECK_EQ(toWide("a\xFF"
                    "b"),
             std::wstring(L"a\uFFFDb"));  // invalid byte
}

void testColours() {
    check::section("colour values");
    CHECK_EQ(toColorRef(0x8000000F), GetSysColor(COLOR_BTNFACE));
    CHECK_EQ(toColorRef(0x000000FF), RGB(255, 0, 0));
    CHECK_EQ(toColorRef(0x00FF0000), RGB(0, 0, 255));
}

void testNames() {
    check::section("names in UTF-16 to UTF-8; within the code page, listed as before");
    CHECK_EQ(wideNameToUtf8(L"CALC.EXE", 8), std::string("CALC.EXE"));
    CHECK_EQ(wideNameToUtf8(L"", 0), std::string(""));
    CHECK_EQ(wideNameToUtf8(L"Ab\0Cd", 2), std::string("Ab"));
    CHECK_EQ(wideNameToUtf8(L"\u041F\u0420\u041E\u0411\u0410.exe", 9),  // ПРОБА.exe
             std::string("\xD0\x9F\xD0\xA0\xD0\x9E\xD0\x91\xD0\x90.exe"));
    const wchar_t lone[] = {L'a', 0xD800, L'b'};
    CHECK_EQ(wideNameToUtf8(lone, 3), std::string("a\xEF\xBF\xBD"
                                                  "b"));
    // Every character of the ANSI code page: the list shows what the single-byte
    // enumeration showed (CharLowerBuffW, then the core's case map).
    int differ = 0, characters = 0;
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        const char ansi = static_cast<char>(byte);
        wchar_t c[2] = {};
        if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &ansi, 1, c, 1) != 1) continue;
        ++characters;
        wchar_t lowered[2] = {c[0], 0};
        CharLowerBuffW(lowered, 1);
        const std::string before = toLowerUtf8(wideNameToUtf8(lowered, 1));
        if (before != toLowerUtf8(wideNameToUtf8(c, 1))) {
            ++differ;
            std::printf("code page %u, byte 0x%02X: listed differently\n", GetACP(), byte);
        }
    }
    CHECK(characters > 90);
    CHECK_EQ(differ, 0);
}

void testEnumerator() {
    check::section("Tool Help: wine's processes, without this one");
    ToolhelpEnumerator enumerator;
    const auto lowered = [&enumerator] {
        auto names = enumerator.enumerate();
        if (names) {
            for (auto& n : *names) n = toLowerUtf8(n);
        }
        return names;
    };
    const auto names = lowered();
    CHECK(names.has_value());
    if (!names) return;
    CHECK(names->size() >= 3);
    const auto has = [&](const std::string& n) {
        return std::find(names->begin(), names->end(), n) != names->end();
    };
    CHECK(has("services.exe"));
    const std::string own = utf8(lowerCase(fileNameOf(ownPath())));
    CHECK_EQ(own, std::string("win32unittest.exe"));
    CHECK(!has(own));
    // Another copy of this program is listed once: only the enumerating process is left out.
    std::wstring line = L"\"" + ownPath() + L"\" --sleep";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION copy{};
    CHECK(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &copy));
    const auto withCopy = lowered();
    CHECK(withCopy && std::count(withCopy->begin(), withCopy->end(), own) == 1);
    TerminateProcess(copy.hProcess, 0);
    WaitForSingleObject(copy.hProcess, 5000);
    CloseHandle(copy.hThread);
    CloseHandle(copy.hProcess);
    for (const auto& n : *names) CHECK(!n.empty());
    // Every snapshot is closed again: many refreshes leave the handle count where it was.
    DWORD before = 0, after = 0;
    GetProcessHandleCount(GetCurrentProcess(), &before);
    bool allGood = true;
    for (int i = 0; i < 300; ++i) allGood = allGood && enumerator.enumerate().has_value();
    GetProcessHandleCount(GetCurrentProcess(), &after);
    CHECK(allGood);
    CHECK_EQ(after, before);
}

}  // namespace

int main() {
    // The copy the enumeration test starts: it only has to be running.
    if (std::wstring(GetCommandLineW()).find(L" --sleep") != std::wstring::npos) {
        Sleep(60000);
        return 0;
    }
    testArgumentText();
    testText();
    testColours();
    testNames();
    testEnumerator();
    return check::summary();
}
