#include "platform/field_reader.h"

namespace platform {

namespace {

bool IsLineEnd(wchar_t c) noexcept { return c == L'\r' || c == L'\n'; }
bool IsBlank(wchar_t c) noexcept { return c == L' ' || c == L'\t'; }

}  // namespace

void FieldReader::CountLinesTo(size_t pos) noexcept {
    for (; counted_ < pos; ++counted_) {
        // CR LF is one line end, as the reader takes it.
        const bool crLf = text_[counted_] == L'\r' && counted_ + 1 < text_.size() && text_[counted_ + 1] == L'\n';
        if (IsLineEnd(text_[counted_]) && !crLf) ++line_;
    }
}

bool FieldReader::ReadField(std::wstring& value) {
    if (AtEnd()) return false;
    CountLinesTo(pos_);
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;

    std::wstring field;
    if (pos_ < text_.size() && text_[pos_] == L'"') {
        const size_t close = text_.find(L'"', pos_ + 1);
        const size_t end = close == std::wstring_view::npos ? text_.size() : close;
        field.assign(text_.substr(pos_ + 1, end - pos_ - 1));
        pos_ = end == text_.size() ? end : end + 1;
        // Whatever follows the closing quote up to the delimiter is not part of the value.
        while (pos_ < text_.size() && text_[pos_] != L',' && !IsLineEnd(text_[pos_])) ++pos_;
    } else {
        const size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != L',' && !IsLineEnd(text_[pos_])) ++pos_;
        size_t end = pos_;
        while (end > start && IsBlank(text_[end - 1])) --end;
        field.assign(text_.substr(start, end - start));
    }

    // Consume the delimiter: a comma, or one line end (CR LF counts as one).
    if (pos_ < text_.size()) {
        if (text_[pos_] == L'\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == L'\n') ++pos_;
        ++pos_;
    }
    value = std::move(field);
    return true;
}

}  // namespace platform
