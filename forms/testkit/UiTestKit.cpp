#include "UiTestKit.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "KvWindowPicture.h"
#include "UTxUtils.h"
#include "UiApp.h"

namespace uitest {

std::vector<std::string> EventLog::Take()
{
    std::vector<std::string> taken;
    taken.swap(m_Events);
    return taken;
}

void Click(HWND button)
{
    ::SendMessageA(button, BM_CLICK, 0, 0);
}

void ClickAt(HWND wnd, int x, int y)
{
    const LPARAM at = MAKELPARAM(x, y);
    ::SendMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(wnd, WM_LBUTTONUP, 0, at);
}

namespace {
LPARAM KeyData(UINT virtualKey, bool up)
{
    const UINT scan = ::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    return 1 | (static_cast<LPARAM>(scan) << 16) | (up ? (3u << 30) : 0);
}
}  // namespace

void PressKey(HWND wnd, UINT virtualKey)
{
    ::SendMessageA(wnd, WM_KEYDOWN, virtualKey, KeyData(virtualKey, false));
    const UINT character = ::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_CHAR);
    if (character >= ' ') ::SendMessageA(wnd, WM_CHAR, character, KeyData(virtualKey, false));
    ::SendMessageA(wnd, WM_KEYUP, virtualKey, KeyData(virtualKey, true));
}

void TypeText(HWND wnd, const std::string& text)
{
    for (unsigned char c : text)
        ::SendMessageA(wnd, WM_CHAR, c, 1);
}

void PostKey(HWND wnd, UINT virtualKey)
{
    ::PostMessageA(wnd, WM_KEYDOWN, virtualKey, KeyData(virtualKey, false));
    ::PostMessageA(wnd, WM_KEYUP, virtualKey, KeyData(virtualKey, true));
}

bool SelectListItem(HWND listView, int item)
{
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    return ::SendMessageA(listView, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state)) != 0;
}

void Settle()
{
    // A thread message cannot be lost to a window that goes meanwhile.
    static const UINT marker = ::RegisterWindowMessageA("Kestrova.uitest.Settle");
    ::PostThreadMessageA(::GetCurrentThreadId(), marker, 0, 0);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == marker) return;
        ui::App::DispatchOne(msg);
    }
}

COLORREF Picture::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

Picture Capture(HWND wnd)
{
    const testsupport::WindowPicture shown =
        testsupport::CaptureWindow(wnd, testsupport::PictureArea::WholeWindow);
    Picture picture;
    picture.width = shown.width;
    picture.height = shown.height;
    picture.pixels.reserve(shown.pixels.size());
    for (COLORREF c : shown.pixels)
        picture.pixels.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    return picture;
}

namespace {

bool WriteAll(const std::string& path, const std::string& bytes)
{
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

void PutLe(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutBe(std::string& out, uint32_t value)
{
    for (int i = 3; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t Crc32(const std::string& data, size_t from)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < data.size(); ++i) {
        crc ^= static_cast<unsigned char>(data[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void PutChunk(std::string& png, const char* type, const std::string& data)
{
    PutBe(png, static_cast<uint32_t>(data.size()));
    const size_t start = png.size();
    png.append(type, 4);
    png += data;
    PutBe(png, Crc32(png, start));
}

}  // namespace

bool Picture::SaveBmp(const std::string& path) const
{
    if (Empty()) return false;
    const uint32_t imageSize = static_cast<uint32_t>(pixels.size() * 4);
    std::string bmp = "BM";
    PutLe(bmp, 14 + 40 + imageSize, 4);
    PutLe(bmp, 0, 4);
    PutLe(bmp, 14 + 40, 4);
    PutLe(bmp, 40, 4);
    PutLe(bmp, static_cast<uint32_t>(width), 4);
    PutLe(bmp, static_cast<uint32_t>(-height), 4);  // top-down rows
    PutLe(bmp, 1, 2);
    PutLe(bmp, 32, 2);
    PutLe(bmp, BI_RGB, 4);
    PutLe(bmp, imageSize, 4);
    PutLe(bmp, 2835, 4);
    PutLe(bmp, 2835, 4);
    PutLe(bmp, 0, 4);
    PutLe(bmp, 0, 4);
    bmp.append(reinterpret_cast<const char*>(pixels.data()), imageSize);
    return WriteAll(path, bmp);
}

bool Picture::SavePng(const std::string& path) const
{
    if (Empty()) return false;
    // RGB rows behind a filter byte of 0, kept in stored (uncompressed) deflate blocks.
    std::string raw;
    raw.reserve(static_cast<size_t>(height) * (1 + width * 3));
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            raw += static_cast<char>((p >> 16) & 0xFF);
            raw += static_cast<char>((p >> 8) & 0xFF);
            raw += static_cast<char>(p & 0xFF);
        }
    }
    std::string zlib = "\x78\x01";
    for (size_t at = 0; at < raw.size() || at == 0;) {
        const size_t length = std::min<size_t>(65535, raw.size() - at);
        const bool last = at + length >= raw.size();
        zlib += static_cast<char>(last ? 1 : 0);
        PutLe(zlib, static_cast<uint32_t>(length), 2);
        PutLe(zlib, static_cast<uint32_t>(~length & 0xFFFF), 2);
        zlib.append(raw, at, length);
        at += length;
        if (last) break;
    }
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBe(zlib, (b << 16) | a);

    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    PutBe(header, static_cast<uint32_t>(width));
    PutBe(header, static_cast<uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter set, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", std::string());
    return WriteAll(path, png);
}

std::string ShotPath(const std::string& name)
{
    const std::string folder = KV_SHOTS_DIR;
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\" + name;
}

}  // namespace uitest
