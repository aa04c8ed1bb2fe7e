// Where an old game's writes under Program Files or Windows really go: folders under
// stand-in roots in a temporary folder, and the system's own roots.
#include "platform/virtual_store.h"
#include "platform/wildcard.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

std::wstring ShortPathOf(const std::wstring& path) {
    wchar_t shortPath[MAX_PATH] = {};
    const DWORD length = ::GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    EXPECT_TRUE(length > 0 && length < MAX_PATH) << Utf8(path);
    return shortPath;
}

std::wstring EnvironmentVariable(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, MAX_PATH);
    return length < MAX_PATH ? value : L"";
}

void ExpectMapped(const std::optional<std::wstring>& mapped, const std::optional<std::wstring>& expected,
                  const std::wstring& folder) {
    EXPECT_EQ(mapped.has_value(), expected.has_value()) << Utf8(folder) << " -> " << Utf8(mapped.value_or(L"nothing"));
    // Spelled as the caller spelled the parts, VirtualStore too compares names in any case.
    if (mapped && expected) {
        EXPECT_TRUE(platform::SameName(*mapped, *expected)) << Utf8(folder) << " -> " << Utf8(*mapped);
    }
}

// Only folders in a virtualised root, or the root itself, have a VirtualStore folder,
// however they are spelled; the folder need not exist yet.
TEST(VirtualStoreFolder, MapsWhatIsInsideAVirtualisedRootHoweverSpelled) {
    const TempFolder temp;
    for (const wchar_t* folder : {L"Program Files (x86)\\Torvanel", L"Program Files", L"Windows", L"Local",
                                  L"Program Files (x86)x\\Torvanel", L"Elsewhere\\Torvanel"})
        MakeFolders(temp / folder);
    const std::wstring x86 = temp / L"Program Files (x86)";
    const std::wstring game = x86 + L"\\Torvanel";
    const platform::VirtualStoreRoots roots{temp / L"Program Files", x86, temp / L"Windows", temp / L"Local"};
    // The store keeps the whole path below the drive.
    const std::wstring store = temp / L"Local\\VirtualStore" + temp.path().substr(2);
    const std::wstring mappedGame = store + L"\\Program Files (x86)\\Torvanel";

    const struct {
        std::wstring folder;
        std::optional<std::wstring> mapped;
    } cases[] = {
        {game, mappedGame},
        {temp / L"PROGRAM FILES (x86)\\torvanel\\", mappedGame},
        {ShortPathOf(x86) + L"\\Torvanel", mappedGame},
        {temp / L"Elsewhere\\..\\Program Files (x86)/./Torvanel", mappedGame},
        {ShortPathOf(x86) + L"\\Not yet\\made", store + L"\\Program Files (x86)\\Not yet\\made"},
        {temp / L"Program Files", store + L"\\Program Files"},
        {temp / L"Windows\\Torvanel", store + L"\\Windows\\Torvanel"},
        {temp / L"Program Files (x86)x\\Torvanel", std::nullopt},
        {temp / L"Elsewhere\\Torvanel", std::nullopt},
        {temp.path(), std::nullopt},
    };
    for (const auto& c : cases) ExpectMapped(platform::VirtualStoreFolder(c.folder, roots), c.mapped, c.folder);

    // Roots the shell could not report: an unknown one matches nothing, and without
    // local app data there is no store.
    ExpectMapped(platform::VirtualStoreFolder(game, {L"", L"", temp / L"Windows", temp / L"Local"}), std::nullopt, game);
    ExpectMapped(platform::VirtualStoreFolder(game, {L"", x86, L"", L""}), std::nullopt, game);

    // Only a folder that is there counts as the game's copies.
    EXPECT_EQ(platform::ExistingVirtualStoreFolder(game, roots), std::nullopt);
    MakeFolders(mappedGame);
    WriteBytes(store + L"\\Windows\\Torvanel", "a file, not a folder");
    ExpectMapped(platform::ExistingVirtualStoreFolder(game, roots), mappedGame, game);
    EXPECT_EQ(platform::ExistingVirtualStoreFolder(temp / L"Windows\\Torvanel", roots), std::nullopt);
}

// The system's own roots, as the environment names them too.
TEST(VirtualStoreFolder, MapsProgramFilesX86WithTheSystemsRoots) {
    const platform::VirtualStoreRoots roots = platform::SystemVirtualStoreRoots();
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    EXPECT_TRUE(platform::SameName(roots.windows, windows)) << Utf8(roots.windows);
    EXPECT_TRUE(platform::SameName(roots.programFiles, EnvironmentVariable(L"ProgramFiles"))) << Utf8(roots.programFiles);
    EXPECT_TRUE(platform::SameName(roots.programFilesX86, EnvironmentVariable(L"ProgramFiles(x86)"))) << Utf8(roots.programFilesX86);
    EXPECT_TRUE(platform::SameName(roots.localAppData, EnvironmentVariable(L"LOCALAPPDATA"))) << Utf8(roots.localAppData);
    if (!platform::SameName(roots.programFilesX86, L"C:\\Program Files (x86)")) GTEST_SKIP() << "Windows is not on C:";

    const std::wstring game = L"C:\\Program Files (x86)\\Torvanel";
    ExpectMapped(platform::VirtualStoreFolder(game, roots), roots.localAppData + L"\\VirtualStore\\Program Files (x86)\\Torvanel", game);
    const TempFolder temp;
    ExpectMapped(platform::VirtualStoreFolder(temp.path(), roots), std::nullopt, temp.path());
}

}  // namespace
