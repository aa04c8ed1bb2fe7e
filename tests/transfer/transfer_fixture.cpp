#include "transfer_fixture.h"

namespace transfer_testing {

using namespace testing_support;

namespace {

void ReadInto(const std::wstring& folder, const std::wstring& prefix, bool everything, Tree& tree) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (everything) tree[prefix + name + L"\\"] = "";
            ReadInto(folder + L"\\" + name, prefix + name + L"\\", everything, tree);
            continue;
        }
        std::string& content = tree[prefix + name];
        try {
            content = ReadBytes(folder + L"\\" + name);
        } catch (const std::exception&) {
            content = "<held open>";
        }
        const DWORD kept = data.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        if (everything && kept) content += " [attributes " + std::to_string(kept) + "]";
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

}  // namespace

void WriteTree(const std::wstring& folder, const Tree& tree) {
    MakeFolders(folder);
    for (const auto& [name, content] : tree) WriteBytes(folder + L"\\" + name, content);
}

Tree ReadTree(const std::wstring& folder) {
    Tree tree;
    ReadInto(folder, L"", false, tree);
    return tree;
}

Tree Snapshot(const std::wstring& folder) {
    Tree tree;
    ReadInto(folder, L"", true, tree);
    return tree;
}

Tree With(Tree tree, const Tree& more) {
    for (const auto& [name, content] : more) tree[name] = content;
    return tree;
}

TransferTest::TransferTest() {
    MakeFolders(root_ / L"src\\S");
    MakeFolders(root_ / L"dst\\D");
    MakeFolders(root_ / L"current");
}

transfer::TransferReport TransferTest::Transfer(std::wstring_view musicFlag, platform::FileSystem& fileSystem) {
    return transfer::TransferDataSet({S(), D(), std::wstring(musicFlag), WorldFile()}, &observer_, fileSystem);
}

transfer::TransferReport TransferTest::TransferFrom(const std::wstring& source) {
    return transfer::TransferDataSet({source, D(), L"", WorldFile()}, &observer_);
}

}  // namespace transfer_testing
