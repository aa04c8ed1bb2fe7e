#pragma once
// Captions and button texts of the program's windows, as the benchmark finds them.
#include <string_view>

namespace bench {

inline constexpr std::wstring_view kMainWindowCaption = L"Torvanelワールドデータ・シナリオデータ\u3000インストーラー";
inline constexpr std::wstring_view kInstallButtonText = L"ワールドデータ・シナリオデータのインストール";
inline constexpr std::wstring_view kFolderDialogCaption = L"Torvanelフォルダ選択方法";
inline constexpr std::wstring_view kSavedFolderButtonPrefix = L"前回保存したパス名、";
inline constexpr std::wstring_view kBusyWindowCaption = L"保存中です。このままお待ち下さい。";

// The bare program the start-up is compared with (bare_window.cpp).
inline constexpr std::wstring_view kBareWindowCaption = L"bare window";

}  // namespace bench
