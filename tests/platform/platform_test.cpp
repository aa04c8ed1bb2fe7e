// The file services on real files (a refusal never costs the old file, and no
// temporary file is left behind), and names as Windows reads them.
#include "platform/field_reader.h"
#include "platform/file_services.h"
#include "platform/file_system.h"
#include "platform/folder_lock.h"
#include "platform/path_names.h"
#include "platform/text_file.h"
#include "platform/wildcard.h"
#include "program_driver.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>

namespace {

using namespace testing_support;

constexpr DWORD kOk = ERROR_SUCCESS;
constexpr DWORD kAnyError = ~0u;  // Windows and Wine give different errors

std::vector<std::wstring> Listed(const std::wstring& pattern, DWORD error = kOk) {
    platform::FileList list = platform::ListFiles(pattern);
    EXPECT_EQ(list.error, error) << Utf8(pattern);
    std::sort(list.names.begin(), list.names.end());
    return list.names;
}

// Ordinary files only, matched on their long names, in folders named in any case.
TEST(ListFiles, ListsOrdinaryFilesMatchingTheLongName) {
    const TempFolder dir;
    WriteTree(dir.path(), {{L"年表", ""}, {L"年表01.txt", ""}, {L"foo.data", ""}, {L"Touroku.DAT", ""},
                           {L"年表hidden.txt", ""}, {L"年表system.txt", ""}, {L"年表sub\\x", ""}});
    SetAttributes(dir / L"年表hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(dir / L"年表system.txt", FILE_ATTRIBUTE_SYSTEM);
    MakeFolders(dir / L"nationDATA");

    using Names = std::vector<std::wstring>;
    EXPECT_EQ(Listed(dir.path() + L"\\"), (Names{L"Touroku.DAT", L"foo.data", L"年表", L"年表01.txt"}));
    EXPECT_EQ(Listed(dir / L"年表*.*"), (Names{L"年表", L"年表01.txt"}));
    // Short names must not widen a pattern: "*.dat" does not find "foo.data".
    EXPECT_EQ(Listed(dir / L"*.dat"), Names{L"Touroku.DAT"});
    EXPECT_EQ(Listed(dir / L"NATIONdata\\*.*"), Names{});
    EXPECT_EQ(Listed(dir / L"missing\\*.*", ERROR_PATH_NOT_FOUND), Names{});
}

TEST(IsSameFolder, ComparesWhatTheFoldersAreNotHowTheyAreSpelled) {
    const TempFolder dir;
    MakeFolders(dir / L"Game\\Backup");
    const std::wstring game = dir / L"Game";
    wchar_t shortName[MAX_PATH] = {};
    ::GetShortPathNameW(game.c_str(), shortName, MAX_PATH);
    for (const std::wstring& spelling : {game + L"\\", dir / L"GAME", game + L"\\\\", game + L"\\Backup\\..",
                                         dir / L"Game\\.\\", game + L"/", std::wstring(shortName)})
        EXPECT_TRUE(platform::IsSameFolder(game, spelling)) << Utf8(spelling);
    EXPECT_FALSE(platform::IsSameFolder(game, game + L"\\Backup"));
    EXPECT_FALSE(platform::IsSameFolder(game, dir.path()));
    // Folders that do not exist are compared by their full paths.
    EXPECT_TRUE(platform::IsSameFolder(dir / L"gone\\", dir / L"GONE"));
    EXPECT_FALSE(platform::IsSameFolder(dir / L"gone", dir / L"gone2"));
}

// One holder per folder however it is spelled; neither a released lock, nor the file
// a killed holder leaves, keeps the next run out.
TEST(FolderLock, OneHolderPerFolderAndNothingLeftBehindBlocksTheNext) {
    const TempFolder dir;
    const std::wstring game = dir / L"Game", lockFile = game + L"\\" + std::wstring(platform::kLockFileName);
    MakeFolders(game);
    {
        const platform::FolderLock held(game);
        ASSERT_TRUE(held.Held()) << "error " << held.Error();
        // Hidden, so that the transfer's listings pass over it.
        EXPECT_NE(::GetFileAttributesW(lockFile.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
        for (const std::wstring& spelling : {game, game + L"\\", dir / L"GAME", dir / L"game\\"})
            EXPECT_EQ(platform::FolderLock(spelling).Error(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << Utf8(spelling);
    }
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring holderExe = std::wstring(self, std::wstring_view(self).rfind(L'\\')) + L"\\lock_holder.exe";
    const struct { const char* what; std::function<void()> leave; } cases[] = {
        {"released", [] {}},
        {"file left by a killed holder", [&] { WriteBytes(lockFile, ""); }},
        {"holder killed while holding it", [&] {
             {
                 const driver::RunningProgram holder(holderExe, game);  // killed when it goes
                 driver::WaitUntil([&] { return FileExists(lockFile) || holder.HasExited(); });
                 EXPECT_EQ(platform::FolderLock(game).Error(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
             }
             EXPECT_TRUE(FileExists(lockFile));
         }},
    };
    for (const auto& c : cases) {
        c.leave();
        {
            const platform::FolderLock next(game);
            EXPECT_TRUE(next.Held()) << c.what << ": error " << next.Error();
        }
        EXPECT_FALSE(FileExists(lockFile)) << c.what << ": the lock file stayed";
    }
    const DWORD missing = platform::FolderLock(dir / L"missing").Error();
    EXPECT_TRUE(missing != kOk && missing != static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << missing;
}

// In code page 932 a trail byte 5C (表 95 5C, ソ 83 5C) must not split the text. Where
// Windows uses UTF-8 as the ANSI code page, files written on Japanese Windows (invalid
// as UTF-8) still read as written, and what is written reads back as written or is refused.
// (Files written and read: the saved-path file's tests.)
TEST(TextFile, ReadsAndWritesCodePage932AlsoOnAUtf8System) {
    const struct { std::string bytes; UINT codePage; std::wstring text; } reads[] = {
        {"C:\\\x95\x5C\\\x83\x5C\x83\x74\x83\x67\r\n\x81\x60\x81\x5C", 932, L"C:\\表\\ソフト\r\n～―"},
        {"C:\\\x95\x5C\\\x83\x5C\x83\x74\x83\x67", CP_UTF8, L"C:\\表\\ソフト"},
        {"C:\\\xE8\xA1\xA8\\\xE3\x82\xBD", CP_UTF8, L"C:\\表\\ソ"},
        {"C:\\\xE8\xA1\xA8", 932, L"C:\\陦ｨ"},  // elsewhere the code page rules, as before
        {"\xEF\xBB\xBF" "C:\\\xE8\xA1\xA8", CP_UTF8, L"C:\\表"}, {"C:\\Games", CP_UTF8, L"C:\\Games"},
    };
    for (const auto& c : reads)
        EXPECT_EQ(platform::DecodeText(c.bytes, c.codePage), c.text) << testing::PrintToString(c.bytes) << " in " << c.codePage;

    const struct { std::wstring text; UINT codePage; std::optional<std::string> bytes; } writes[] = {
        {L"D:\\ゲーム\\表", 932, "D:\\\x83\x51\x81\x5B\x83\x80\\\x95\x5C"},
        {L"D:\\ゲーム\\表", CP_UTF8, "D:\\\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0\\\xE8\xA1\xA8"},
        {L"C:\\한국", CP_UTF8, "C:\\\xED\x95\x9C\xEA\xB5\xAD"},
        // No form in code page 932: best fit would silently write '?', or turn é into e: another folder.
        {L"C:\\한국", 932, std::nullopt}, {L"C:\\\U0001F600", 932, std::nullopt}, {L"C:\\café", 932, std::nullopt},
        // A lone surrogate has no UTF-8 form; a leading U+FEFF would read back as a mark.
        {L"C:\\\xD800", CP_UTF8, std::nullopt}, {L"\uFEFFC:\\", CP_UTF8, std::nullopt},
    };
    for (const auto& c : writes)
        EXPECT_EQ(platform::EncodeText(c.text, c.codePage), c.bytes) << Utf8(c.text) << " in " << c.codePage;
}

TEST(ReplaceFileContents, RefusesWhatWindowsRefusesAndNeverCostsTheOldFile) {
    const TempFolder dir;
    const struct { const wchar_t* name; DWORD attributes; DWORD error; } cases[] = {
        {L"plain.dat", FILE_ATTRIBUTE_NORMAL, kOk},
        {L"ro.dat", FILE_ATTRIBUTE_READONLY, ERROR_ACCESS_DENIED},
        {L"hidden.dat", FILE_ATTRIBUTE_HIDDEN, ERROR_ACCESS_DENIED},
        {L"system.dat", FILE_ATTRIBUTE_SYSTEM, ERROR_ACCESS_DENIED},
        {L"held.dat", FILE_ATTRIBUTE_NORMAL, kAnyError},  // another program holds it
    };
    // A temporary file left by an earlier run is never reused.
    WriteBytes(dir / (L"~tvcopy" + std::to_wstring(::GetCurrentProcessId()) + L"-0.tmp"), "left over");
    for (const auto& c : cases) {
        WriteBytes(dir / c.name, "older and longer");
        SetAttributes(dir / c.name, c.attributes);
    }
    platform::UniqueFile held = HoldWithoutSharing(dir / L"held.dat");
    for (const auto& c : cases) {
        const DWORD error = platform::ReplaceFileContents(dir / c.name, "new");
        EXPECT_TRUE(c.error == kAnyError ? error != kOk : error == c.error) << Utf8(c.name) << ": error " << error;
        ::SetFileAttributesW((dir / c.name).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    held.reset();
    for (const auto& c : cases) EXPECT_EQ(ReadBytes(dir / c.name), c.error == kOk ? "new" : "older and longer") << Utf8(c.name);
    EXPECT_EQ(ReadTree(dir.path()).size(), std::size(cases) + 1) << "a temporary file was left";
}

TEST(SystemFileSystem, CreatesOnlyNewNamesMakesCopiesWritableAndWaitsOutPassingHolds) {
    const TempFolder dir;
    platform::FileSystem& fs = platform::SystemFileSystem();
    WriteTree(dir.path(), {{L"src.dat", "content"}, {L"taken.dat", "old"}, {L"scanned.dat", "x"}, {L"game.dat", "x"}});
    SetAttributes(dir / L"src.dat", FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(fs.CopyNewFile(dir / L"src.dat", dir / L"taken.dat"), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(fs.Move(dir / L"src.dat", dir / L"taken.dat"), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(fs.WriteNewFile(dir / L"taken.dat", "x"), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(ReadBytes(dir / L"taken.dat"), "old");
    // A copy from read-only media would keep the next run from replacing it.
    EXPECT_EQ(fs.CopyNewFile(dir / L"src.dat", dir / L"copy.dat"), kOk);
    EXPECT_EQ(ReadBytes(dir / L"copy.dat"), "content");
    EXPECT_EQ(::GetFileAttributesW((dir / L"copy.dat").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_NE(fs.CopyNewFile(dir / L"missing.dat", dir / L"none.dat"), kOk);
    EXPECT_FALSE(FileExists(dir / L"none.dat"));

    // Waits out a scanner that lets go after a moment, but not the game.
    EXPECT_EQ(platform::DeleteAccessError(dir / L"scanned.dat"), kOk);
    platform::UniqueFile scanner = HoldWithoutSharing(dir / L"scanned.dat");
    EXPECT_EQ(platform::DeleteAccessError(dir / L"scanned.dat"), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    {
        const std::jthread release([&scanner] { ::Sleep(300); scanner.reset(); });
        EXPECT_EQ(fs.Move(dir / L"scanned.dat", dir / L"moved.dat"), kOk);
    }
    const platform::UniqueFile game = HoldWithoutSharing(dir / L"game.dat");
    EXPECT_EQ(fs.DeleteFile(dir / L"game.dat"), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(FileExists(dir / L"game.dat"));

    // The system's words for an error, without a line end.
    const std::wstring text = platform::ErrorText(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(text.empty() || text.back() == L'\n' || text.back() == L'\r');
}

TEST(Wildcard, MatchesLikeTheFileSystemOnLongNames) {
    const struct { const wchar_t* name; const wchar_t* pattern; bool matches; } cases[] = {
        {L"touroku.dat", L"TOUROKU.DAT", true}, {L"Kosei01.DAT", L"kosei??.dat", true}, {L"kosei1.dat", L"kosei??.dat", false},
        {L"x年表.txt", L"年表*.*", false}, {L"noext", L"*.*", true}, {L"a.b.c", L"*.*", true},
        {L"abc", L"a*c", true}, {L"ab", L"a*c", false}, {L"", L"*", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::MatchesPattern(c.name, c.pattern), c.matches) << Utf8(c.name) << " vs " << Utf8(c.pattern);
}

TEST(PathNames, DeviceNamesWithAnyCaseExtensionTrailingDotsOrBlanks) {
    for (const std::wstring_view name : {L"CON", L"con", L"Con.txt", L"con .txt", L"NUL.tar.gz", L"aux..", L"AUX  ",
                                         L"PRN.dat", L"COM1", L"com9.jpg", L"LPT1", L"lpt9.dat", L"CONIN$",
                                         L"conout$.log", L"COM\u00B9.dat"})
        EXPECT_TRUE(platform::IsReservedDeviceName(name)) << Utf8(name);
    for (const std::wstring_view name : {L"", L"CONSOLE", L"COM0", L"COM10", L"LPT", L"xCON", L".con", L"NULL.dat",
                                         L"CON_1.txt", L"\uFF23\uFF2F\uFF2E", L"CONIN.dat"})
        EXPECT_FALSE(platform::IsReservedDeviceName(name)) << Utf8(name);
}

TEST(FieldReader, SplitsFieldsAsTheWorldAndPathFilesNeed) {
    const struct { const wchar_t* text; std::vector<std::wstring> fields; } cases[] = {
        {L"a,b\r\nc\r\n", {L"a", L"b", L"c"}},         {L"no line end", {L"no line end"}},
        {L"  \tlead,trail  \t\r\n", {L"lead", L"trail"}}, {L"\"quoted, comma\",next", {L"quoted, comma", L"next"}},
        {L"  \"  kept  \"\r\n", {L"  kept  "}},          {L"\"ab\"junk,after", {L"ab", L"after"}},
        {L"\"unterminated", {L"unterminated"}},         {L"a\r\n\r\nb", {L"a", L"", L"b"}},
        {L",,x", {L"", L"", L"x"}},                      {L"lf\nonly\ncr\ronly", {L"lf", L"only", L"cr", L"only"}},
        {L"背景: b.jpg,画像：f.gif\r\n", {L"背景: b.jpg", L"画像：f.gif"}}, {L"", {}},
    };
    for (const auto& c : cases) {
        platform::FieldReader reader(c.text);
        std::vector<std::wstring> fields;
        for (std::wstring value; reader.ReadField(value);) fields.push_back(value);
        EXPECT_TRUE(reader.AtEnd());
        EXPECT_EQ(fields, c.fields) << Utf8(c.text);
    }
}

}  // namespace
