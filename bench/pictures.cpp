// Load time of a 2048 x 2048 picture: our BMP and PNG readers, and libpng's
// own simplified reader (png_image_read) on the same PNG file.
#include <benchmark/benchmark.h>

#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/quiet_stdout.h"
#include "media/image.h"

using namespace __VELTRIC__;

namespace {

constexpr int kSide = 2048;
constexpr std::uint32_t kNoKey = 0x1000000; // above every 24-bit colour: nothing is keyed

// Writes the test pictures once: a soft gradient with noise, the kind of
// content a game's artwork has. They go into a folder of this run's own, so
// that two runs at once (two checkouts) neither read nor remove each other's.
struct Files {
    std::string dir, png, bmp;
    Files()
    {
        char templ[] = "/tmp/veltric-bench-pictures-XXXXXX";
        if (!mkdtemp(templ)) std::abort();
        dir = templ;
        png = dir + "/2048.png";
        bmp = dir + "/2048.bmp";
        std::vector<unsigned char> bgra(static_cast<std::size_t>(kSide) * kSide * 4);
        std::vector<unsigned char> bgr(static_cast<std::size_t>(kSide) * kSide * 3);
        unsigned seed = 1;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                seed = seed * 1103515245u + 12345u;
                const unsigned noise = (seed >> 16) & 15;
                const std::size_t i = static_cast<std::size_t>(y) * kSide + x;
                unsigned char* p = &bgra[i * 4];
                p[0] = static_cast<unsigned char>(x / 8 + noise);
                p[1] = static_cast<unsigned char>(y / 8 + noise);
                p[2] = static_cast<unsigned char>((x + y) / 16);
                p[3] = 255;
                bgr[i * 3] = p[0];
                bgr[i * 3 + 1] = p[1];
                bgr[i * 3 + 2] = p[2];
            }
        QuietStdout quiet;
        if (!rt_write_png(png.c_str(), bgra.data(), kSide, kSide)) std::abort();
        if (!WritePictureFile(bmp.c_str(), bgr.data(), kSide, kSide, kSide, kSide, false, kNoKey))
            std::abort();
    }
    ~Files()
    {
        std::remove(png.c_str());
        std::remove(bmp.c_str());
        rmdir(dir.c_str());
    }
};

Files& TestFiles()
{
    static Files f;
    return f;
}

void BM_LoadImagePNG(benchmark::State& state)
{
    const std::string& name = TestFiles().png;
    for (auto _ : state) {
        OPENGL_IMAGE img;
        if (!img.LoadImagePNG(name.c_str(), kNoColorKey)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(img.pixels);
    }
}

void BM_LibpngImageRead(benchmark::State& state)
{
    const std::string& name = TestFiles().png;
    std::vector<unsigned char> out;
    for (auto _ : state) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, name.c_str())) state.SkipWithError("begin failed");
        image.format = PNG_FORMAT_RGBA;
        out.resize(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, out.data(), 0, nullptr))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_LoadImageBMP(benchmark::State& state)
{
    const std::string& name = TestFiles().bmp;
    for (auto _ : state) {
        OPENGL_IMAGE img;
        if (!img.LoadImageBMP(name.c_str(), 0x8000FF)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(img.pixels);
    }
}

} // namespace

BENCHMARK(BM_LoadImagePNG)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibpngImageRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadImageBMP)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
