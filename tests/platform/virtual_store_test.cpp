// Where an old game's writes under Program Files or Windows really go: folders under
// stand-in roots in a temporary folder (the system's own roots: tests/app).
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

// Spelled as the caller spelled the parts: VirtualStore too compares names in any case.
void ExpectMapped(const std::optional<std::wstring>& mapped, const std::optional<std::wstring>& expected,
                  const std::wstring& folder) {
    EXPECT_TRUE(platform::SameName(mapped.value_or(L"nothing"), expected.value_or(L"nothing")))
        << Utf8(folder) << " -> " << Utf8(mapped.value_or(L"nothing"));
}

// Only folders in a virtualised root, or the root itself, have a VirtualStore folder,
// however they are spelled; the folder need not exist yet.
TEST(VirtualStoreFolder, MapsWhatIsInsideAVirtualisedRootHoweverSpelled) {
    const TempFolder temp;
    for (const wchar_t* folder : {L"Program Files (x86)\\Torvanel", L"Program Files", L"Windows", L"Local",
                                  L"Program Files (x86)x\\Torvanel", L"Elsewhere\\Torvanel"})
        MakeFolders(temp / folder);
    const std::wstring x86 = temp / L"Program Files (x86)", game = x86 + L"\\Torvanel";
    const platform::VirtualStoreRoots roots{temp / L"Program Files", x86, temp / L"Windows", temp / L"Local"};
    // The store keeps the whole path below the drive.
    const std::wstring store = temp / L"Local\\VirtualStore" + temp.path().substr(2);
    const std::wstring mappedGame = store + L"\\Program Files (x86)\\Torvanel";

    const struct { std::wstring folder; std::optional<std::wstring> mapped; } cases[] = {
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

}  // namespace
