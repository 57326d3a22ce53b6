#include "Pictures.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>

#include "DisplayScale.h"
#include "PictureScaling.h"
#include "WinHandles.h"

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: jump back to the
// decoder, whose frame holds nothing that needs a destructor.
struct JpegErrorManager {
    jpeg_error_mgr Base;
    jmp_buf Escape;
};

void JpegErrorExit(j_common_ptr Info)
{
    longjmp(reinterpret_cast<JpegErrorManager*>(Info->err)->Escape, 1);
}

void JpegSilentMessage(j_common_ptr) {}

// A picture of 24-bit pixels whose rows go from the top down, as the decoder writes them.
BITMAPINFO TopDown24Bit(int Width, int Height)
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = Width;
    bmi.bmiHeader.biHeight = -Height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    return bmi;
}

} // namespace

HBITMAP DecodeJpeg(const unsigned char* Data, size_t Size)
{
    jpeg_decompress_struct info;
    JpegErrorManager errors;
    info.err = jpeg_std_error(&errors.Base);
    errors.Base.error_exit = JpegErrorExit;
    errors.Base.output_message = JpegSilentMessage;
    HBITMAP volatile bitmap = nullptr;
    if (setjmp(errors.Escape)) {
        jpeg_destroy_decompress(&info);
        if (bitmap)
            DeleteObject(bitmap);
        return nullptr;
    }

    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, Data, static_cast<unsigned long>(Size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR; // the byte order of a 24-bit DIB
    jpeg_start_decompress(&info);

    const BITMAPINFO bmi = TopDown24Bit(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    void* bits = nullptr;
    bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    const size_t stride = DibStride(static_cast<int>(info.output_width));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = static_cast<JSAMPROW>(bits) + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return bitmap;
}

namespace {

// A picture resource: a JPEG image stored as RCDATA, or a bitmap.
HBITMAP LoadPictureResource(HMODULE Module, const std::string& Name)
{
    if (HRSRC resource = FindResourceA(Module, Name.c_str(), RT_RCDATA)) {
        HGLOBAL loaded = LoadResource(Module, resource);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data)
            return nullptr;
        return DecodeJpeg(static_cast<const unsigned char*>(data), SizeofResource(Module, resource));
    }
    return static_cast<HBITMAP>(LoadImageA(Module, Name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// The picture's pixels as 24-bit rows, top down.
PixelPicture PixelsOf(HBITMAP Bitmap, int Width, int Height)
{
    PixelPicture pixels;
    pixels.Width = Width;
    pixels.Height = Height;
    pixels.Stride = DibStride(Width);
    pixels.Bits.resize(pixels.Stride * static_cast<size_t>(Height));
    BITMAPINFO bmi = TopDown24Bit(Width, Height);
    WindowDc screen(nullptr);
    if (GetDIBits(screen.Get(), Bitmap, 0, static_cast<UINT>(Height), pixels.Bits.data(), &bmi, DIB_RGB_COLORS) !=
        Height)
        pixels.Bits.clear();
    return pixels;
}

HBITMAP BitmapOf(const PixelPicture& Pixels)
{
    const BITMAPINFO bmi = TopDown24Bit(Pixels.Width, Pixels.Height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap)
        memcpy(bits, Pixels.Bits.data(), Pixels.Bits.size());
    return bitmap;
}

} // namespace

HBITMAP LoadPicture(HMODULE Module, const char* Name, int Dpi)
{
    if (!Name)
        return nullptr;
    int scale = PictureScaleFor(Dpi);
    BitmapHandle picture(LoadPictureResource(Module, scale == 100 ? Name : Name + ("_" + std::to_string(scale))));
    if (!picture) {
        scale = 100;
        picture.Reset(LoadPictureResource(Module, Name));
    }
    if (!picture)
        return nullptr;
    BITMAP info;
    GetObject(picture.Get(), sizeof info, &info);
    const int width = ScaleToDpi(LengthAt100(info.bmWidth, scale), Dpi);
    const int height = ScaleToDpi(LengthAt100(info.bmHeight, scale), Dpi);
    if (width == info.bmWidth && height == info.bmHeight)
        return picture.Release();
    const PixelPicture pixels = PixelsOf(picture.Get(), info.bmWidth, info.bmHeight);
    if (pixels.Bits.empty())
        return nullptr;
    return BitmapOf(ResizePicture(pixels, width, height));
}
