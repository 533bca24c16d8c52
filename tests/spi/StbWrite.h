#pragma once
// stb_image_write, as the tests use it: writing into memory. (Its stdio part stays in: this version
// keeps the HDR writer behind the same switch.)
#include <stb_image_write.h>
