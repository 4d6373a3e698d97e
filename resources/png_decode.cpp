// PNG decoding with libpng. libpng reports errors by longjmp; the code between
// setjmp and any longjmp therefore owns no object with a destructor: the
// output buffers live in the caller's frame, and the libpng structures are
// released by a guard there too.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <new>

#include "resources/icons.h"

namespace zorvin::resources {
namespace {

constexpr png_uint_32 kMaxSide = 4096;

struct MemoryReader {
  const unsigned char* data;
  std::size_t size;
  std::size_t pos;
};

void read_from_memory(png_structp png, png_bytep out, png_size_t count) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (count > reader->size - reader->pos) png_error(png, "PNG data ends early");
  std::memcpy(out, reader->data + reader->pos, count);
  reader->pos += count;
}

// Errors jump back to read_rgba; nothing is printed.
[[noreturn]] void on_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void on_warning(png_structp, png_const_charp) {}

struct ReadGuard {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~ReadGuard() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

// Asks libpng for 8-bit RGBA whatever the stored colour type and depth.
void request_rgba(png_structp png, png_infop info) {
  const int colour_type = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  if (colour_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colour_type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  const bool has_trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (has_trns) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_strip_16(png);
  if (colour_type == PNG_COLOR_TYPE_GRAY || colour_type == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  if (!(colour_type & PNG_COLOR_MASK_ALPHA) && !has_trns)
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
}

// Reads the whole image into `image`, using `rows` for the row pointers.
// Returns false when libpng reports an error.
bool read_rgba(png_structp png, png_infop info, RgbaImage& image, std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  request_rgba(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (png_get_rowbytes(png, info) != std::size_t{width} * 4) return false;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.pixels.resize(std::size_t{width} * height * 4);
  rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = image.pixels.data() + std::size_t{y} * width * 4;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

std::optional<RgbaImage> decode_png(std::span<const unsigned char> png) {
  if (png.size() < 8 || png_sig_cmp(png.data(), 0, 8) != 0) return std::nullopt;
  ReadGuard guard;
  guard.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, on_error, on_warning);
  if (!guard.png) return std::nullopt;
  guard.info = png_create_info_struct(guard.png);
  if (!guard.info) return std::nullopt;
  png_set_user_limits(guard.png, kMaxSide, kMaxSide);

  MemoryReader reader{png.data(), png.size(), 0};
  png_set_read_fn(guard.png, &reader, read_from_memory);
  RgbaImage image;
  std::vector<png_bytep> rows;
  try {
    if (!read_rgba(guard.png, guard.info, image, rows)) return std::nullopt;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  return image;
}

}  // namespace zorvin::resources
