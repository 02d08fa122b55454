#pragma once
// OPENGL_IMAGE: an RGBA picture in memory, and the BMP and PNG readers and
// writers that fill it or write pictures out. Every reader has a memory-only
// entry point (bytes in, picture out) under the file one, so that pictures
// can be checked without touching the disk.
#include <cstddef>
#include <cstdint>

namespace __VELTRIC__ {

// The largest side a reader accepts. Keeps every byte count of a picture
// (side * side * 4) inside 32 bits and refuses headers that ask for absurd
// buffers; the sprite loader further refuses sides above the GL's maximum
// texture size.
constexpr int kMaxPictureSide = 16384;

// Colour key argument meaning "no key".
constexpr unsigned long kNoColorKey = 0xFFFFFFFFul;

struct OPENGL_IMAGE {
    int width = 0;
    int height = 0;
    std::uint8_t* pixels = nullptr; // RGBA, rows from the top, no padding
    int capacity = 0;               // bytes in pixels

    OPENGL_IMAGE() = default;
    ~OPENGL_IMAGE();
    OPENGL_IMAGE(const OPENGL_IMAGE&) = delete;
    OPENGL_IMAGE& operator=(const OPENGL_IMAGE&) = delete;

    // Sizes the picture to w x h, reusing the array when it is large enough.
    // False (picture emptied) for sides outside 1..kMaxPictureSide or when
    // memory runs out. The pixel contents are undefined afterwards.
    bool SetSize(int w, int h);
    // Frees the array; all fields 0.
    void Empty();

    // 1 loaded, 0 not a readable picture (the picture is then empty).
    // colorkey 0x00BBGGRR turns pixels of that colour into (0, 0, 0, 0);
    // kNoColorKey keys nothing.
    std::uint8_t LoadImageBMP(const char* file, unsigned long colorkey);
    std::uint8_t LoadImagePNG(const char* file, unsigned long colorkey);
    std::uint8_t LoadBMPFromMemory(const std::uint8_t* data, std::size_t size,
                                   unsigned long colorkey);
    std::uint8_t LoadPNGFromMemory(const std::uint8_t* data, std::size_t size,
                                   unsigned long colorkey);

    // Each pixel becomes a 2 x 2 block (false when the result would exceed
    // kMaxPictureSide or memory runs out; the picture is then unchanged).
    bool ScaleX2();

    // The built-in 5 x 6 dot font as a 128 x 64 glyph grid (fonts module).
    void MakeDefFont();
};

// ---- PNG glue: one open PNG at a time -------------------------------------
// Opens a PNG and reads its header; 1 with its size, bytes per row and
// channels (1, 3 or 4 after expansion), 0 when it is not a readable PNG.
int rt_png_open(const char* file, int* width, int* height, int* rowbytes, int* channels);
int rt_png_open_memory(const std::uint8_t* data, std::size_t size, int* width, int* height,
                       int* rowbytes, int* channels);
// Reads the whole image of the open PNG into rows[i] = data + i * rowbytes.
// 1 read, 0 when the data is corrupt or cut short.
int rt_png_read(unsigned char* data, unsigned char** rows);
void rt_png_close();
// Writes width x height pixels in blue, green, red, alpha order, top row
// first, as an RGBA PNG. 1 written, 0 failed (nothing usable on disk).
int rt_write_png(const char* file, const unsigned char* pixels, int width, int height);

// ---- picture files written from the frame buffer ---------------------------
// pixels: 3 bytes per pixel (blue, green, red), stride pixels per row, `rows`
// rows stored bottom row first unless topdown. key: 0x00RRGGBB of the colour
// key as the frame buffer stores it; such pixels are written transparent in
// a PNG and as 0x8000FF in a BMP. A name ending in ".png" (any case) writes
// PNG, any other a 24-bit BMP. True when the whole file was written.
bool WritePictureFile(const char* file, const unsigned char* pixels, int w, int h, int stride,
                      int rows, bool topdown, std::uint32_t key);

} // namespace __VELTRIC__
