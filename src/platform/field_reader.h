#pragma once
// Reads a text one comma- or line-delimited field at a time: leading spaces and
// tabs are skipped; a field that starts with a double quote runs to the next double
// quote (quotes dropped, the rest up to the delimiter ignored); any other field runs
// to the next comma or line end, trailing spaces and tabs dropped. The delimiter
// after a field is consumed. Line ends are CR LF, LF or CR.
#include <string>
#include <string_view>

namespace platform {

class FieldReader {
public:
    explicit FieldReader(std::wstring_view text) noexcept : text_(text) {}

    // False, leaving `value` unchanged, when no data is left.
    bool ReadField(std::wstring& value);

    [[nodiscard]] bool AtEnd() const noexcept { return pos_ >= text_.size(); }

private:
    std::wstring_view text_;
    size_t pos_ = 0;
};

}  // namespace platform
