// PNG encoding with libpng. As in the decoder, the frame that calls setjmp
// owns no object with a destructor; buffers live in the caller.
#include "resources/png_encode.h"

#include <png.h>

#include <csetjmp>
#include <new>

namespace zorvin::resources {
namespace {

// No exception may cross libpng's C frames: a failed allocation becomes a
// libpng error.
void write_to_vector(png_structp png, png_bytep data, png_size_t count) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  bool stored = true;
  try {
    out->insert(out->end(), data, data + count);
  } catch (const std::bad_alloc&) {
    stored = false;
  }
  if (!stored) png_error(png, "out of memory");
}
void flush_nothing(png_structp) {}

[[noreturn]] void on_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void on_warning(png_structp, png_const_charp) {}

struct WriteGuard {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~WriteGuard() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

// The scaled image as rows of palette indices or of RGBA bytes.
std::vector<unsigned char> scaled_pixels(const IconSource& icon, int scale) {
  const bool rgba = icon.format == IconSource::Format::rgba;
  const std::size_t width = static_cast<std::size_t>(icon.width) * scale;
  const std::size_t height = static_cast<std::size_t>(icon.height) * scale;
  std::vector<unsigned char> pixels;
  pixels.reserve(width * height * (rgba ? 4 : 1));
  for (std::size_t y = 0; y < height; ++y) {
    for (std::size_t x = 0; x < width; ++x) {
      const unsigned char index = icon.indices[(y / scale) * icon.width + x / scale];
      if (!rgba) {
        pixels.push_back(index);
        continue;
      }
      const Rgba& c = icon.palette[index];
      pixels.insert(pixels.end(), {c.r, c.g, c.b, c.a});
    }
  }
  return pixels;
}

bool write_png(png_structp png, png_infop info, const IconSource& icon, int scale,
               const std::vector<png_color>& colours, const std::vector<png_byte>& alphas,
               std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  const bool rgba = icon.format == IconSource::Format::rgba;
  png_set_IHDR(png, info, icon.width * scale, icon.height * scale, 8,
               rgba ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!rgba) {
    png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
    png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
  }
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

std::vector<unsigned char> encode_png(const IconSource& icon, int scale) {
  if (scale < 1 || scale > 16 || icon.width < 1 || icon.height < 1 || icon.palette.empty() ||
      icon.palette.size() > 256 ||
      icon.indices.size() != static_cast<std::size_t>(icon.width) * icon.height)
    return {};
  for (const unsigned char index : icon.indices)
    if (index >= icon.palette.size()) return {};

  std::vector<png_color> colours;
  std::vector<png_byte> alphas;
  for (const Rgba& c : icon.palette) {
    colours.push_back(png_color{c.r, c.g, c.b});
    alphas.push_back(c.a);
  }
  std::vector<unsigned char> pixels = scaled_pixels(icon, scale);
  const std::size_t row_bytes = pixels.size() / (static_cast<std::size_t>(icon.height) * scale);
  std::vector<png_bytep> rows;
  for (std::size_t offset = 0; offset < pixels.size(); offset += row_bytes)
    rows.push_back(pixels.data() + offset);

  WriteGuard guard;
  guard.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, on_error, on_warning);
  if (!guard.png) return {};
  guard.info = png_create_info_struct(guard.png);
  if (!guard.info) return {};
  std::vector<unsigned char> out;
  png_set_write_fn(guard.png, &out, write_to_vector, flush_nothing);
  if (!write_png(guard.png, guard.info, icon, scale, colours, alphas, rows)) return {};
  return out;
}

}  // namespace zorvin::resources
