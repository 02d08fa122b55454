// The PNG reader and writer over libpng. The glue keeps one open PNG at a
// time (read structures and a byte source) between rt_png_open, rt_png_read
// and rt_png_close. libpng reports errors by long-jumping to the setjmp of
// the function that is running the call, so every function that calls into
// libpng sets its own jump before the first call.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "media/image.h"
#include "media/picture_io.h"
#include "runtime/filesystem.h"

namespace __VELTRIC__ {

namespace {

// The open PNG: libpng's structures and where its bytes come from.
struct PngSource {
    png_structp png = nullptr;
    png_infop info = nullptr;
    RTFileSystem file;                 // when read from a file
    std::int64_t fileBudget = 0;       // the file position reads may reach
    const std::uint8_t* data = nullptr; // when read from memory
    std::size_t size = 0;
    std::size_t position = 0;
};
PngSource g_src;

// What a file may hold before its image data: the signature and the chunks
// ahead of the pixels (libpng refuses any single one above 8 MB, but not a
// run of them).
constexpr std::int64_t kPngHeaderBudget = std::int64_t(64) << 20;

// What the compressed rows of a picture may take: twice the raw rows with
// their filter bytes (deflate grows incompressible data by well under 1%,
// chunk framing by 12 bytes a chunk) and a fixed margin. Reading stops there,
// so runs of empty chunks or blocks cannot keep the reader busy.
std::int64_t ImageDataBudget(std::int64_t height, std::int64_t fileRowBytes)
{
    return 2 * height * (fileRowBytes + 1) + (std::int64_t(1) << 20);
}

// Bytes for libpng; a source that runs dry is an error, never silent
// garbage in the rows.
void rt_PNG_fread(png_structp png, png_bytep out, png_size_t count)
{
    if (count == 0) return;
    if (g_src.file.file) {
        if (static_cast<std::int64_t>(count) > g_src.fileBudget - g_src.file.position)
            png_error(png, "file longer than its picture needs");
        if (std::fread(out, 1, count, g_src.file.file) != count) png_error(png, "file cut short");
        g_src.file.position += static_cast<std::int64_t>(count);
        return;
    }
    if (!g_src.data || count > g_src.size - g_src.position) png_error(png, "data cut short");
    std::memcpy(out, g_src.data + g_src.position, count);
    g_src.position += count;
}

struct PngWriter {
    std::FILE* file;
    bool ok;
};

void rt_PNG_fwrite(png_structp png, png_bytep in, png_size_t count)
{
    auto* w = static_cast<PngWriter*>(png_get_io_ptr(png));
    if (!w || !w->file || std::fwrite(in, 1, count, w->file) != count) {
        if (w) w->ok = false;
        png_error(png, "write failed");
    }
}

void rt_PNG_fflush(png_structp) {}

// Header of the open PNG after the transforms every reader here asks for.
int ReadHeader(const char* name, int* width, int* height, int* rowbytes, int* channels)
{
    png_structp png = g_src.png;
    png_infop info = g_src.info;
    if (setjmp(png_jmpbuf(png))) return 0;
    png_set_read_fn(png, nullptr, rt_PNG_fread);
    // Sides are capped so that every buffer size below stays in range.
    png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
    png_read_info(png, info);
    g_src.fileBudget = g_src.file.position +
                       ImageDataBudget(png_get_image_height(png, info), png_get_rowbytes(png, info));
    const int colorType = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    png_set_strip_16(png);
    png_set_packing(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const int ch = png_get_channels(png, info);
    const int bits = png_get_bit_depth(png, info);
    const int type = png_get_color_type(png, info);
    if (ch != 1 && ch != 3 && ch != 4) return 0;
    if (bits != 8) {
        std::printf("File %s has bit depth %d.\n", name, bits);
        std::printf("Only bit depth of 8 is supported.\n");
        return 0;
    }
    if (type != PNG_COLOR_TYPE_GRAY && type != PNG_COLOR_TYPE_RGB && type != PNG_COLOR_TYPE_RGBA) {
        std::printf("File %s has unsupported color type.\n", name);
        std::printf("Types GRAY, RGB and RGB_ALPHA are supported.\n");
        return 0;
    }
    const png_uint_32 w = png_get_image_width(png, info);
    const png_uint_32 h = png_get_image_height(png, info);
    const png_size_t rb = png_get_rowbytes(png, info);
    if (h == 0 || w == 0 || w > kMaxPictureSide || h > kMaxPictureSide ||
        rb != static_cast<png_size_t>(w) * ch)
        return 0;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    *rowbytes = static_cast<int>(rb);
    *channels = ch;
    return 1;
}

int OpenStructures(const char* name, int* width, int* height, int* rowbytes, int* channels)
{
    g_src.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!g_src.png) {
        rt_png_close();
        return 0;
    }
    g_src.info = png_create_info_struct(g_src.png);
    if (!g_src.info || !ReadHeader(name, width, height, rowbytes, channels)) {
        rt_png_close();
        return 0;
    }
    return 1;
}

// Turns the rows of an open PNG into the picture; 1 when every row was read.
std::uint8_t ReadIntoImage(OPENGL_IMAGE& img, int w, int h, int rowbytes, int ch,
                           unsigned long colorkey)
{
    if (!img.SetSize(w, h)) return 0;
    std::vector<unsigned char*> rows(static_cast<std::size_t>(h));
    if (ch == 4) {
        // RGBA rows are the picture's own rows: read them in place.
        if (!rt_png_read(img.pixels, rows.data())) return 0;
        return 1;
    }
    // Left uninitialised: the decoder writes every row it delivers, and a
    // file cut short after its header must not cost the memory of all the
    // rows its header claims (768 MiB for the largest RGB picture).
    std::unique_ptr<unsigned char[]> data(
        new (std::nothrow) unsigned char[static_cast<std::size_t>(rowbytes) * h]);
    if (!data || !rt_png_read(data.get(), rows.data())) return 0;
    const bool keyed = ch == 3 && colorkey != kNoColorKey;
    const std::uint32_t key = static_cast<std::uint32_t>(colorkey);
    for (int r = 0; r < h; ++r) {
        const unsigned char* src = rows[r];
        std::uint8_t* dst = img.pixels + static_cast<std::size_t>(r) * w * 4;
        for (int c = 0; c < w; ++c, dst += 4) {
            if (ch == 3) {
                const unsigned char* p = src + c * 3;
                if (keyed && (p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16)) == key) {
                    dst[0] = dst[1] = dst[2] = dst[3] = 0;
                    continue;
                }
                dst[0] = p[0];
                dst[1] = p[1];
                dst[2] = p[2];
            } else {
                dst[0] = dst[1] = dst[2] = src[c];
            }
            dst[3] = 255;
        }
    }
    return 1;
}

} // namespace

void rt_png_close()
{
    if (g_src.png) png_destroy_read_struct(&g_src.png, g_src.info ? &g_src.info : nullptr, nullptr);
    g_src.png = nullptr;
    g_src.info = nullptr;
    g_src.file.Close();
    g_src.fileBudget = 0;
    g_src.data = nullptr;
    g_src.size = g_src.position = 0;
}

int rt_png_open(const char* file, int* width, int* height, int* rowbytes, int* channels)
{
    rt_png_close();
    if (!file || !g_src.file.OpenIn(file)) {
        rt_png_close();
        return 0;
    }
    g_src.fileBudget = kPngHeaderBudget;
    return OpenStructures(file, width, height, rowbytes, channels);
}

int rt_png_open_memory(const std::uint8_t* data, std::size_t size, int* width, int* height,
                       int* rowbytes, int* channels)
{
    rt_png_close();
    if (!data) return 0;
    g_src.data = data;
    g_src.size = size;
    return OpenStructures("(memory)", width, height, rowbytes, channels);
}

int rt_png_read(unsigned char* data, unsigned char** rows)
{
    if (!g_src.png || !g_src.info || !data || !rows) return 0;
    png_structp png = g_src.png;
    const png_uint_32 h = png_get_image_height(png, g_src.info);
    const png_size_t rb = png_get_rowbytes(png, g_src.info);
    for (png_uint_32 i = 0; i < h; ++i) rows[i] = data + static_cast<std::size_t>(i) * rb;
    if (setjmp(png_jmpbuf(png))) return 0;
    png_read_image(png, rows);
    return 1;
}

std::uint8_t OPENGL_IMAGE::LoadImagePNG(const char* file, unsigned long colorkey)
{
    int w, h, rb, ch;
    if (!rt_png_open(file, &w, &h, &rb, &ch)) return 0;
    const std::uint8_t ok = ReadIntoImage(*this, w, h, rb, ch, colorkey);
    rt_png_close();
    if (!ok) Empty();
    return ok;
}

std::uint8_t OPENGL_IMAGE::LoadPNGFromMemory(const std::uint8_t* data, std::size_t size,
                                             unsigned long colorkey)
{
    int w, h, rb, ch;
    if (!rt_png_open_memory(data, size, &w, &h, &rb, &ch)) return 0;
    const std::uint8_t ok = ReadIntoImage(*this, w, h, rb, ch, colorkey);
    rt_png_close();
    if (!ok) Empty();
    return ok;
}

namespace {

// The libpng part of the writer, apart so that its setjmp frame holds no
// objects with destructors.
bool WritePngRows(png_structp png, png_infop info, PngWriter* out, png_bytep* rows, int width,
                  int height)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, rt_PNG_fwrite, rt_PNG_fflush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

} // namespace

int rt_write_png(const char* file, const unsigned char* pixels, int width, int height)
{
    if (!pixels || width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide)
        return 0;
    std::FILE* f = CreatePictureFile(file);
    if (!f) return 0;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        if (png) png_destroy_write_struct(&png, nullptr);
        FinishPictureFile(f, false);
        return 0;
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int i = 0; i < height; ++i)
        rows[i] = const_cast<png_bytep>(pixels) + static_cast<std::size_t>(i) * width * 4;
    PngWriter out{f, true};
    const bool wrote = WritePngRows(png, info, &out, rows.data(), width, height);
    png_destroy_write_struct(&png, &info);
    return FinishPictureFile(f, wrote && out.ok) ? 1 : 0;
}

} // namespace __VELTRIC__
