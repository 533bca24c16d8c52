#pragma once
// How stb_image is built for the image plug-in: only the formats the plug-in offers (BMP is the
// program's own), no stdio.
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_ONLY_TGA
#define STBI_ONLY_PSD
#define STBI_ONLY_PNM
#define STBI_ONLY_HDR
#define STBI_NO_STDIO

#include <stb_image.h>
