/* The image-file library's two calls: load a scan file into a packed DIB, write a DIB as a
 * JPEG, TIFF or PDF file. C linkage, __stdcall, exported undecorated from CvImgFileIO.dll. */
#ifndef CVIMGFILEIO_H
#define CVIMGFILEIO_H

#if defined(_WIN32) && !defined(_WIN64)
#define IMGFILE_API __stdcall
#else
#define IMGFILE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Format codes of the write call. */
#define IMGFILE_FORMAT_JPEG 13
#define IMGFILE_FORMAT_TIFF 9
#define IMGFILE_FORMAT_PDF 59

/* Size of the description buffer that the load call fills. */
#define IMGFILE_INFO_SIZE 516

/* Results: 0 or more is success; every failure class has its own negative code. */
#define IMGFILE_OK 0
#define IMGFILE_ERR_ARGUMENT (-1)    /* null pointer, bad format code, bad dimensions */
#define IMGFILE_ERR_OPEN (-2)        /* missing or unreadable file */
#define IMGFILE_ERR_UNSUPPORTED (-3) /* a format or variant the library does not read */
#define IMGFILE_ERR_CORRUPT (-4)     /* the file is damaged or truncated */
#define IMGFILE_ERR_TOO_LARGE (-5)   /* beyond the pixel or memory caps */
#define IMGFILE_ERR_NO_MEMORY (-6)
#define IMGFILE_ERR_TARGET_EXISTS (-7) /* the write never overwrites a file */
#define IMGFILE_ERR_WRITE (-8)         /* the target could not be written completely */

/* Loads the first image of a JPEG, TIFF, PDF or BMP file. On success *dib points to a packed DIB
 * (40-byte header, biClrUsed palette entries of four bytes, bottom-up rows padded to 4 bytes) with
 * 24 bits per pixel, or 1 bit per pixel and a two-entry palette. On Windows it is a locked
 * GlobalAlloc block: release with GlobalUnlock and GlobalFree(GlobalHandle(p)); elsewhere with
 * IMGFILE_FreeDib. resX/resY receive the resolution in dpi (always positive), pageOffsetX/Y the
 * image's offset on its page in points (0 for raster formats). info receives a NUL-terminated
 * description of at most IMGFILE_INFO_SIZE bytes. mode is 1. */
int IMGFILE_API IMGFILE_LoadDibFromFile(const char* path, int mode, void** dib, unsigned short* resX,
                                        unsigned short* resY, int* pageOffsetX, int* pageOffsetY, char* info);

/* Writes a 24-bit DIB (40-byte header followed by bottom-up rows) to path in the given format.
 * For PDF the page is pageWidth x pageHeight points and the image is placed offsetX/offsetY points
 * from the page's top-left corner at (pixels x 72 / resolution) points. The target is created
 * exclusively: an existing file is never overwritten, and a failed write leaves no file behind.
 * reserved is 0. */
int IMGFILE_API IMGFILE_WriteDib2File(const void* dib, unsigned short resX, unsigned short resY,
                                      int pageWidth, int pageHeight, int offsetX, int offsetY, int format,
                                      const char* path, int reserved);

#ifndef _WIN32
/* Releases a DIB returned by IMGFILE_LoadDibFromFile (native builds only). */
void IMGFILE_FreeDib(void* dib);
#endif

#ifdef __cplusplus
}
#endif

#endif /* CVIMGFILEIO_H */
