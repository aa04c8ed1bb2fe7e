#include "transfer_fixture.h"

namespace transfer_testing {

using namespace testing_support;

namespace {

void ReadInto(const std::wstring& folder, const std::wstring& prefix, Tree& tree) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ReadInto(folder + L"\\" + name, prefix + name + L"\\", tree);
        } else {
            tree[prefix + name] = ReadBytes(folder + L"\\" + name);
        }
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
    ReadInto(folder, L"", tree);
    return tree;
}

Tree With(Tree tree, const Tree& more) {
    for (const auto& [name, content] : more) tree[name] = content;
    return tree;
}

TransferTest::TransferTest() {
    MakeFolders(root_ / L"src\\S");
    MakeFolders(root_ / L"dst\\D");
    MakeFolders(Current());
    wchar_t buffer[MAX_PATH];
    previousCurrent_.assign(buffer, ::GetCurrentDirectoryW(MAX_PATH, buffer));
    ::SetCurrentDirectoryW(Current().c_str());
}

TransferTest::~TransferTest() { ::SetCurrentDirectoryW(previousCurrent_.c_str()); }

transfer::TransferReport TransferTest::Transfer(std::wstring_view musicFlag) {
    return transfer::TransferDataSet(S(), D(), musicFlag, &observer_);
}

}  // namespace transfer_testing
