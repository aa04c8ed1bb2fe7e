#include "e2e/game_data.h"

#include <windows.h>

#include "support/temp_folder.h"

namespace e2e {

namespace {

void CollectFiles(const std::wstring& root, const std::wstring& relative, FileSet& files) {
    WIN32_FIND_DATAW data;
    const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CollectFiles(root, path, files);
        } else {
            files[path] = testing_support::ReadBytes(root + L"\\" + path);
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

bool IsUnder(const std::wstring& path, std::wstring_view folder) {
    return path.size() > folder.size() && path[folder.size()] == L'\\' &&
           ::CompareStringOrdinal(path.data(), static_cast<int>(folder.size()), folder.data(),
                                  static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

FileSet PackageData() {
    return {
        {L"nationDATA\\nation01.dat", "package nation 1"},
        {L"nationDATA\\国家表.dat", "package nation with a 0x5C trail byte in its name"},
        {L"nationDATA\\nation03.dat", "package nation 3"},
        {L"pastDATA\\past01.dat", "package past 1"},
        {L"pastDATA\\過去.dat", "package past 2"},
        {L"kosei01.dat", "package scenario 1"},
        {L"kosei02.dat", "package scenario 2"},
        {L"kosei05.dat", "package scenario 5"},
        {L"年表1.txt", Ansi(L"パッケージの年表1")},
        {L"年表2.txt", Ansi(L"パッケージの年表2")},
        {L"touroku.dat", "package touroku"},
        {L"habatuzu.dat", "package habatuzu"},
        {L"MAINDATA.DAT", "package main data"},
        {L"BALANCE.DAT", "package balance"},
        {L"back4.jpg", "package back4"},
        {L"zeloworld.dat", Ansi(L"ワールド名：テスト世界,背景: back8.jpg\r\n地図画像 : extra.gif\r\n")},
        {L"back8.jpg", "package back8, named by the world file"},
        {L"extra.gif", "package extra image, named by the world file"},
        {L"theme.mp3", "package music"},
        {L"battle.wav", "package sound"},
        {L"title.jpg", "package title"},
        {L"Sison.dat", "package sison"},
    };
}

FileSet InstalledGame() {
    return {
        {L"TorvaGame.exe", "MZ stand-in for the game"},
        {L"player.sav", "a player's own file"},
        {L"nationDATA\\nation01.dat", "old nation 1"},
        {L"nationDATA\\nation02.dat", "old nation 2"},
        {L"pastDATA\\past01.dat", "old past 1"},
        {L"kosei01.dat", "old scenario 1"},
        {L"kosei02.dat", "old scenario 2"},
        {L"年表1.txt", Ansi(L"古い年表1")},
        {L"年表2.txt", Ansi(L"古い年表2")},
        {L"年表3.txt", Ansi(L"古い年表3")},
        {L"touroku.dat", "old touroku"},
        {L"habatuzu.dat", "old habatuzu"},
        {L"MAINDATA.DAT", "old main data"},
        {L"zeloworld.dat", "old world file"},
        {L"back8.jpg", "old back8"},
        {L"extra.gif", "old extra image"},
        {L"theme.mp3", "old music"},
        {L"battle.wav", "old sound"},
        {L"title.jpg", "old title"},
        {L"Sison.dat", "old sison"},
        {L"taizin_log.txt", "old log"},
        {L"syo_list.dat", "old list"},
        {L"TaizinNow.dat", "old now"},
        {L"yazirusi.dat", "old arrows"},
    };
}

FileSet BackedUpPart(const FileSet& game) {
    FileSet part = game;
    for (const wchar_t* name : {L"TorvaGame.exe", L"!Torvanel.exe", L"player.sav", L"theme.mp3"}) part.erase(name);
    return part;
}

void WriteFiles(const std::wstring& folder, const FileSet& files) {
    for (const auto& [name, content] : files) testing_support::WriteBytes(folder + L"\\" + name, content);
}

FileSet FilesUnder(const std::wstring& folder) {
    FileSet files;
    CollectFiles(folder, L"", files);
    return files;
}

FileSet Within(const FileSet& all, std::wstring_view subfolder) {
    FileSet part;
    for (const auto& [name, content] : all) {
        if (IsUnder(name, subfolder)) part[name.substr(subfolder.size() + 1)] = content;
    }
    return part;
}

FileSet Without(const FileSet& all, std::initializer_list<std::wstring_view> excludedFolders) {
    FileSet part;
    for (const auto& [name, content] : all) {
        bool excluded = false;
        for (std::wstring_view folder : excludedFolders) excluded = excluded || IsUnder(name, folder);
        if (!excluded) part[name] = content;
    }
    return part;
}

std::string Ansi(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

void WriteSavedPath(const std::wstring& folder, const std::wstring& gameFolder) {
    testing_support::WriteBytes(folder + L"\\PathDATA.txt", Ansi(gameFolder) + "\r\n");
}

std::string Differences(const FileSet& expected, const FileSet& actual) {
    std::string report;
    for (const auto& [name, content] : expected) {
        const auto found = actual.find(name);
        if (found == actual.end()) {
            report += "  missing: " + testing_support::Narrow(name) + "\n";
        } else if (found->second != content) {
            report += "  differs: " + testing_support::Narrow(name) + " holds \"" + found->second + "\"\n";
        }
    }
    for (const auto& [name, content] : actual) {
        if (!expected.count(name)) report += "  unexpected: " + testing_support::Narrow(name) + "\n";
    }
    return report;
}

}  // namespace e2e
