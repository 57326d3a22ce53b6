#include "Pictures.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "Application.h"

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

    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = static_cast<LONG>(info.output_width);
    bmi.bmiHeader.biHeight = -static_cast<LONG>(info.output_height); // top-down rows
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    const size_t stride = (info.output_width * 3 + 3) & ~size_t(3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = static_cast<JSAMPROW>(bits) + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return bitmap;
}

HBITMAP LoadPicture(const char* Name)
{
    if (!Name)
        return nullptr;
    HMODULE module = Application::Instance();
    if (HRSRC resource = FindResourceA(module, Name, RT_RCDATA)) {
        HGLOBAL loaded = LoadResource(module, resource);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data)
            return nullptr;
        return DecodeJpeg(static_cast<const unsigned char*>(data), SizeofResource(module, resource));
    }
    return static_cast<HBITMAP>(LoadImageA(module, Name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}
