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

    // The line (from 1) on which the field last read begins.
    [[nodiscard]] size_t Line() const noexcept { return line_; }

private:
    // Counts the line ends between the last counted position and `pos`.
    void CountLinesTo(size_t pos) noexcept;

    std::wstring_view text_;
    size_t pos_ = 0;
    size_t counted_ = 0;  // line ends before this position are in line_
    size_t line_ = 1;
};

}  // namespace platform
