// stb_image_write for the tests, which make PNG files to import.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
