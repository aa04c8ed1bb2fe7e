// The file services on real files (a refusal never costs the old file, and no
// temporary file is left behind), and names as Windows reads them.
#include "platform/field_reader.h"
#include "platform/file_services.h"
#include "platform/file_system.h"
#include "platform/path_names.h"
#include "platform/text_file.h"
#include "platform/wildcard.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace testing_support;

constexpr DWORD kOk = ERROR_SUCCESS;
constexpr DWORD kAnyError = ~0u;  // Windows and Wine give different errors

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
        platform::UniqueFile held = c.error == kAnyError ? HoldWithoutSharing(dir / c.name) : platform::UniqueFile();
        const DWORD error = platform::ReplaceFileContents(dir / c.name, "new");
        EXPECT_TRUE(c.error == kAnyError ? error != kOk : error == c.error) << Utf8(c.name) << ": error " << error;
        held.reset();
        ::SetFileAttributesW((dir / c.name).c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(ReadBytes(dir / c.name), c.error == kOk ? "new" : "older and longer") << Utf8(c.name);
    }
    EXPECT_EQ(ReadTree(dir.path()).size(), std::size(cases) + 1) << "a temporary file was left";
}

TEST(SystemFileSystem, CreatesOnlyNewNamesDurablyAndWaitsOutPassingHolds) {
    const TempFolder dir;
    platform::FileSystem& fs = platform::SystemFileSystem();
    WriteTree(dir.path(), {{L"src.dat", "content"}, {L"taken.dat", "old"}, {L"scanned.dat", "x"}, {L"game.dat", "x"}});

    EXPECT_EQ(fs.CopyNewFile(dir / L"src.dat", dir / L"taken.dat"), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(fs.Move(dir / L"src.dat", dir / L"taken.dat"), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(fs.WriteNewFile(dir / L"taken.dat", "x"), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(ReadBytes(dir / L"taken.dat"), "old");
    EXPECT_NE(fs.CopyNewFile(dir / L"missing.dat", dir / L"none.dat"), kOk);
    EXPECT_FALSE(FileExists(dir / L"none.dat"));

    // Waits out a scanner that lets go after a moment, but not the game.
    platform::UniqueFile scanner = HoldWithoutSharing(dir / L"scanned.dat");
    {
        const std::jthread release([&scanner] { ::Sleep(300); scanner.reset(); });
        EXPECT_EQ(fs.Move(dir / L"scanned.dat", dir / L"moved.dat"), kOk);
    }
    const platform::UniqueFile game = HoldWithoutSharing(dir / L"game.dat");
    EXPECT_EQ(fs.DeleteFile(dir / L"game.dat"), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(FileExists(dir / L"game.dat"));

    // The system's words for an error, without a line end.
    EXPECT_EQ(platform::ErrorText(ERROR_ACCESS_DENIED).find_first_of(L"\r\n"), std::wstring::npos);

    // A file whose name is taken away while a handle holds it (its holder deleting it, or
    // another PC on a share) holds nobody away from that name.
    const platform::UniqueFile held(::CreateFileW((dir / L"taken.dat").c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(platform::IsBeingDeleted(held.get()));
    ASSERT_TRUE(RemoveLink(dir / L"taken.dat"));
    EXPECT_TRUE(platform::IsBeingDeleted(held.get())) << "a lock on a deleted file keeps no one out";

    // Each copy and each written file is on the disk when its call returns.
    WriteBytes(dir / L"big.dat", std::string(1 << 20, 'b'));
    ASSERT_EQ(platform::UnflushedFileSystem().CopyNewFile(dir / L"big.dat", dir / L"unflushed.dat"), kOk);
    if (AwaitsWriteBack(dir / L"unflushed.dat") != true) GTEST_SKIP() << "this file system does not show write-back";
    ASSERT_EQ(fs.CopyNewFile(dir / L"big.dat", dir / L"copy.dat"), kOk);
    ASSERT_EQ(fs.WriteNewFile(dir / L"written.dat", std::string(1 << 20, 'w')), kOk);
    EXPECT_EQ(AwaitsWriteBack(dir / L"copy.dat"), false) << "a copy not flushed: a power cut loses it";
    EXPECT_EQ(AwaitsWriteBack(dir / L"written.dat"), false) << "a written file not flushed: a power cut loses it";
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

// A folder and a name make one path with one separator, at a drive or share root as
// anywhere, and only what lies below a folder is inside it.
TEST(PathNames, FoldersAndNamesJoinedOnceAndContainedByParts) {
    EXPECT_EQ(platform::InFolder(L"R:\\", L"~tvwork-1-1-1"), L"R:\\~tvwork-1-1-1");
    EXPECT_EQ(platform::InFolder(L"C:\\G", L"Backup\\"), L"C:\\G\\Backup\\");
    EXPECT_EQ(platform::AsFolder(L"\\\\server\\share\\\\"), L"\\\\server\\share\\");
    const struct { const wchar_t* folder; const wchar_t* path; bool inside; } cases[] = {
        {L"R:\\", L"R:\\~tvwork-1-1-1\\journal", true},
        {L"\\\\server\\share\\", L"\\\\server\\share\\nationDATA\\a.dat", true},
        {L"\\\\?\\C:\\G\\", L"\\\\?\\C:\\G\\a.dat", true},
        {L"C:\\G\\", L"c:/g/nationDATA/a.dat", true},
        {L"C:\\G", L"C:\\G\\..\\x.dat", false},
        {L"C:\\G", L"C:\\Gx\\a.dat", false},
        {L"C:\\G\\", L"C:\\G", false},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::IsInsideFolder(c.folder, c.path), c.inside) << Utf8(c.path);
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

// What a package's world file is saved as: only Shift-JIS (or plain ASCII) reads right in the game.
TEST(TextEncoding, TellsShiftJisFromUtf8Utf16AndBytesShiftJisLacks) {
    using enum platform::TextEncoding;
    const struct { std::string_view bytes; platform::TextEncoding encoding; } cases[] = {
        {"img:a.jpg\r\n", Ascii},          {"\x8D\xEC\x8E\xD2:a.jpg", ShiftJis},  // 作者 in code page 932
        {"\xE4\xBD\x9C\xE8\x80\x85:a.jpg", Utf8}, {"\xEF\xBB\xBFimg:a.jpg", Utf8WithMark},
        {{"\xFF\xFEi\0", 4}, Utf16},        {"\x82\xA0\x81 a.jpg", NotShiftJis},  // a lead byte without its trail
    };
    for (const auto& c : cases) EXPECT_EQ(platform::DetectEncoding(c.bytes), c.encoding) << c.bytes;
}

}  // namespace
