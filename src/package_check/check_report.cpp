#include "package_check/check_report.h"

#include "platform/file_services.h"
#include "platform/path_names.h"

namespace package_check {

namespace {

// More lines than this in one section tell nothing more; the count says the rest.
constexpr size_t kMostLines = 500;

std::wstring Count(size_t count) { return L"（" + std::to_wstring(count) + L" 件）"; }

std::wstring Megabytes(ULONGLONG bytes) {
    const ULONGLONG tenths = (bytes * 10 + 512 * 1024) / (1024 * 1024);
    return std::to_wstring(tenths / 10) + L"." + std::to_wstring(tenths % 10) + L" MB";
}

std::wstring_view RefusalText(transfer::NameRefusal refusal) noexcept {
    using enum transfer::NameRefusal;
    switch (refusal) {
        case Empty: return L"半角の「:」の後にファイル名がありません（全角の「：」は区切りになりません）";
        case Rooted: return L"「\\」で始まり、パッケージの外を指しています";
        case ParentFolder: return L"「..」を含み、パッケージの外を指しています";
        case BackupOrDefault: return L"ゲームフォルダの Backup か Default の中を指しています";
        case Device: return L"Windowsの装置名（CON、NUL、COM1 など）で、ファイルになりません";
        case Character: return L"ファイル名に使えない文字（< > \" | ? * や制御文字）を含んでいます";
        case None: break;
    }
    return L"";
}

std::wstring_view EncodingText(platform::TextEncoding encoding) noexcept {
    using enum platform::TextEncoding;
    switch (encoding) {
        case Utf8: return L"UTF-8 で保存されています。日本語のWindowsでは日本語の部分が文字化けし、その名前のファイルは見つかりません。";
        case Utf8WithMark: return L"UTF-8（BOM付き）で保存されています。ゲームは Shift-JIS として読むため、日本語の部分が文字化けします。";
        case Utf16: return L"UTF-16（Unicode）で保存されています。ゲームは Shift-JIS として読むため、正しく読めません。";
        case NotShiftJis: return L"Shift-JIS（コードページ932）として読めないバイトを含んでいます。その部分は正しく読めません。";
        case Ascii:
        case ShiftJis: break;
    }
    return L"";
}

std::wstring_view LeftoverText(LeftoverKind kind) noexcept {
    switch (kind) {
        case LeftoverKind::SavedPath: return L"作者のPCのゲームフォルダを覚えたファイルで、プレイヤーの画面に出てしまいます";
        case LeftoverKind::WorkFolder: return L"このツールの作業フォルダ（中断された操作の記録）の残りです";
        case LeftoverKind::Lock: return L"このツールのロックファイルの残りです";
        case LeftoverKind::TemporaryFile: return L"このツールの一時ファイルの残りです";
    }
    return L"";
}

constexpr std::wstring_view kGroupNames[kGroupCount] = {
    L"nationDATA", L"pastDATA", L"年表ファイル", L"ワールド・データファイル", L"画像", L"音楽・効果音",
};

class Report {
public:
    void Line(std::wstring_view text = {}) {
        text_ += text;
        text_ += L"\r\n";
    }
    void Heading(int number, std::wstring_view title, size_t count) {
        Line();
        Line(L"【" + std::to_wstring(number) + L"】" + std::wstring(title) + Count(count));
    }
    // Calls `line` for the first kMostLines items, then says how many more there are.
    template <typename List, typename Each>
    void Items(const List& items, Each line) {
        size_t shown = 0;
        for (const auto& item : items) {
            if (shown++ == kMostLines) {
                Line(L"　…ほか " + std::to_wstring(items.size() - kMostLines) + L" 件");
                break;
            }
            line(item);
        }
    }
    std::wstring Take() { return std::move(text_); }

private:
    std::wstring text_;
};

}  // namespace

std::wstring CheckReportText(const PackageCheck& check) {
    Report report;
    const std::wstring folder = platform::WithoutTrailingSeparators(check.folder);
    if (!check.folderFound) {
        report.Line(L"フォルダが見つかりません: " + folder);
        return report.Take();
    }
    report.Line(HasFindings(check) ? L"インストールが黙って飛ばすもの、またはパッケージに入れてはいけないものがあります。重要なものから順に示します。"
                                   : L"問題は見つかりませんでした。インストールはワールドファイルが挙げるファイルをすべて運びます。");
    report.Line(L"確認したフォルダ: " + folder);

    if (!check.missing.empty()) {
        report.Heading(1, L"ワールドファイル（zeloworld.dat）が挙げているのに、パッケージにないファイル", check.missing.size());
        report.Line(L"インストールはこれらを飛ばすため、ゲームで使えません。名前の綴りと置き場所を確かめて下さい。");
        report.Items(check.missing, [&](const ListedName& name) {
            report.Line(L"　" + std::to_wstring(name.line) + L"行目: " + name.name);
        });
    }
    if (!check.refused.empty()) {
        report.Heading(2, L"ワールドファイルが挙げているが、このツールが受け付けない名前", check.refused.size());
        report.Items(check.refused, [&](const RefusedName& name) {
            report.Line(L"　" + std::to_wstring(name.line) + L"行目: " + (name.written.empty() ? L"（名前なし）" : name.written) +
                        L" — " + std::wstring(RefusalText(name.refusal)));
        });
    }
    if (WorldFileTextIsWrong(check)) {
        report.Heading(3, L"ワールドファイルの文字コード", 1);
        if (check.worldFileError != ERROR_SUCCESS) {
            report.Line(L"　zeloworld.dat を読めません: " + platform::ErrorText(check.worldFileError));
        } else {
            report.Line(L"　" + std::wstring(EncodingText(check.worldFileEncoding)));
            report.Line(L"　メモ帳などで開き、文字コード「ANSI」（Shift-JIS）を選んで保存し直して下さい。");
        }
    }
    if (!check.notCarried.empty()) {
        report.Heading(4, L"パッケージにあるが、どのインストールも運ばないファイル", check.notCarried.size());
        report.Line(L"ワールドファイルへの書き忘れか、置き場所の間違いの可能性があります。");
        std::wstring_view shownFolder = L"?";
        report.Items(check.notCarried, [&](const std::wstring& name) {
            const std::wstring_view part = platform::FolderPart(name);
            if (part != shownFolder) {
                report.Line(L"　" + (part.empty() ? std::wstring(L"（パッケージの直下）") : std::wstring(part)));
                shownFolder = part;
            }
            report.Line(L"　　" + name.substr(part.size()));
        });
    }
    if (!check.leftovers.empty()) {
        report.Heading(5, L"パッケージに入れてはいけないもの", check.leftovers.size());
        report.Line(L"配布する前に削除して下さい。");
        report.Items(check.leftovers, [&](const Leftover& leftover) {
            report.Line(L"　" + leftover.name + L" — " + std::wstring(LeftoverText(leftover.kind)));
        });
    }

    report.Line();
    report.Line(L"【6】インストールが運ぶもの（参考）");
    GroupSize total;
    for (size_t group = 0; group < kGroupCount; ++group) {
        const GroupSize& size = check.carried[group];
        report.Line(L"　" + std::wstring(kGroupNames[group]) + L": " + std::to_wstring(size.files) + L" ファイル、" +
                    Megabytes(size.bytes));
        total.files += size.files;
        total.bytes += size.bytes;
    }
    report.Line(L"　合計: " + std::to_wstring(total.files) + L" ファイル、" + Megabytes(total.bytes));
    if (!check.worldFileFound) report.Line(L"　ワールドファイル zeloworld.dat がありません。");
    if (!check.absentFixedNames.empty()) {
        std::wstring names;
        for (const std::wstring& name : check.absentFixedNames) names += (names.empty() ? L"" : L", ") + name;
        report.Line(L"　パッケージにない固定名のファイル（すべてそろっている必要はありません）: " + names);
    }
    return report.Take();
}

}  // namespace package_check
