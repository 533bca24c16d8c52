#pragma once
// How stb_image is built for the image plug-in: only the formats it still decodes through
// stb_image (the others go to the system's decoders, BMP is the program's own), no stdio.
#define STBI_ONLY_TGA
#define STBI_ONLY_PSD
#define STBI_ONLY_PNM
#define STBI_ONLY_HDR
#define STBI_NO_STDIO

#include <stb_image.h>
