#include "e2e/screen_capture.h"

#include <algorithm>
#include <string_view>

#include "support/temp_folder.h"

namespace e2e {

namespace {

// A 32-bit top-down bitmap selected into a memory device context.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        screen_ = ::GetDC(nullptr);
        memory_ = ::CreateCompatibleDC(screen_);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_ = ::CreateDIBSection(memory_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        if (bitmap_) old_ = ::SelectObject(memory_, bitmap_);
    }
    ~Canvas() {
        if (bitmap_) {
            ::SelectObject(memory_, old_);
            ::DeleteObject(bitmap_);
        }
        ::DeleteDC(memory_);
        ::ReleaseDC(nullptr, screen_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    [[nodiscard]] HDC dc() const noexcept { return memory_; }
    void CopyScreen(int left, int top) { ::BitBlt(memory_, 0, 0, width_, height_, screen_, left, top, SRCCOPY); }
    void Fill(DWORD colour) {
        if (bits_) std::fill(bits_, bits_ + Count(), colour);
    }
    [[nodiscard]] std::vector<DWORD> Pixels() const {
        ::GdiFlush();
        std::vector<DWORD> pixels(Count());
        if (bits_) std::copy(bits_, bits_ + Count(), pixels.begin());
        for (DWORD& pixel : pixels) pixel &= 0xFFFFFF;  // alpha means nothing on screen
        return pixels;
    }

private:
    [[nodiscard]] size_t Count() const noexcept { return static_cast<size_t>(width_) * height_; }

    int width_, height_;
    HDC screen_ = nullptr;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    DWORD* bits_ = nullptr;
};

template <typename T>
void Append(std::string& bytes, const T& value) {
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

std::vector<DWORD> ScreenPixels(const RECT& rect) {
    Canvas canvas(rect.right - rect.left, rect.bottom - rect.top);
    canvas.CopyScreen(rect.left, rect.top);
    return canvas.Pixels();
}

std::vector<DWORD> IconPixels(HICON icon, int width, int height, DWORD background) {
    Canvas canvas(width, height);
    canvas.Fill(background);
    ::DrawIconEx(canvas.dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    return canvas.Pixels();
}

void SaveWindowBitmap(HWND window, const std::wstring& path) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const std::vector<DWORD> pixels = ScreenPixels(rect);

    // A BMP file holds its rows bottom-up, three bytes a pixel, each row padded to four bytes.
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    const DWORD imageSize = static_cast<DWORD>(stride * height);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageSize;
    const BITMAPINFOHEADER info = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, imageSize, 3780, 3780, 0, 0};
    std::string bytes;
    Append(bytes, file);
    Append(bytes, info);
    for (int y = height - 1; y >= 0; --y) {
        std::string row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const DWORD pixel = pixels[static_cast<size_t>(y) * width + x];
            row[3 * x] = static_cast<char>(pixel & 0xFF);
            row[3 * x + 1] = static_cast<char>((pixel >> 8) & 0xFF);
            row[3 * x + 2] = static_cast<char>((pixel >> 16) & 0xFF);
        }
        bytes += row;
    }
    testing_support::WriteBytes(path, bytes);
}

}  // namespace e2e
