// JPEG streams decoded from memory with libjpeg.
#include "assets/texture.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

// jpeglib.h needs FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace marvolet {

namespace {

struct MemoryBlock {
  const JOCTET* data;
  size_t length;
};

// The library sees only the first member; the block reference rides behind it.
struct MemorySource {
  jpeg_source_mgr manager;
  MemoryBlock* block;
};

struct JpegErrorManager {
  jpeg_error_mgr manager;  // first, so the library's err pointer is also ours
  std::jmp_buf recoveryPoint;
};

// Case number of JERR_OUT_OF_MEMORY when the decoded picture cannot be held; the library's own
// cases are small numbers, so this one stays recognisable in the message.
constexpr int PixelBufferCase = 100;

// Offered once the block is used up: the library then ends the image as if the stream had
// ended there, warns "Premature end of JPEG file" and fills what is missing.
const JOCTET FakeEndOfImage[2] = {0xFF, JPEG_EOI};

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

boolean fillInputBuffer(j_decompress_ptr info) {
  WARNMS(info, JWRN_JPEG_EOF);
  info->src->next_input_byte = FakeEndOfImage;
  info->src->bytes_in_buffer = sizeof FakeEndOfImage;
  return TRUE;
}

// A damaged length field may ask to skip past the end; the skip stops there and the next read
// gets the fake end-of-image marker.
void skipInputData(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* source = info->src;
  size_t step = static_cast<unsigned long>(count);
  if (step > source->bytes_in_buffer) step = source->bytes_in_buffer;
  source->next_input_byte += step;
  source->bytes_in_buffer -= step;
}

void installMemorySource(j_decompress_ptr info, MemoryBlock* block) {
  if (info->src == nullptr) {
    info->src = static_cast<jpeg_source_mgr*>((*info->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT, sizeof(MemorySource)));
  }
  MemorySource* source = reinterpret_cast<MemorySource*>(info->src);
  source->block = block;
  source->manager.next_input_byte = block->data;
  source->manager.bytes_in_buffer = block->length;
  source->manager.init_source = initSource;
  source->manager.fill_input_buffer = fillInputBuffer;
  source->manager.skip_input_data = skipInputData;
  source->manager.resync_to_restart = jpeg_resync_to_restart;
  source->manager.term_source = termSource;
}

// Fatal library errors: report as the library would, then unwind to decodeJpeg's recovery point.
// Only libjpeg's C frames lie in between, so nothing with a destructor is skipped.
[[noreturn]] void exitToRecoveryPoint(j_common_ptr info) {
  (*info->err->output_message)(info);
  std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->recoveryPoint, 1);
}

}  // namespace

bool decodeJpeg(Texture& texture, const unsigned char* data, int32_t length) {
  // Everything the recovery path reads is either plain memory reached through a pointer or a
  // volatile local, so a longjmp cannot leave it stale in a register.
  jpeg_decompress_struct decompressor;
  std::memset(&decompressor, 0, sizeof decompressor);
  JpegErrorManager errors;
  MemoryBlock* volatile block = nullptr;
  texture.pixels = nullptr;

  decompressor.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = exitToRecoveryPoint;
  if (setjmp(errors.recoveryPoint)) {
    jpeg_destroy_decompress(&decompressor);
    delete block;
    std::free(texture.pixels);
    texture.pixels = nullptr;
    return false;
  }

  jpeg_create_decompress(&decompressor);

  // A negative length or missing data is an empty block, which the library rejects with its
  // own message.
  size_t usable = (data != nullptr && length > 0) ? static_cast<size_t>(length) : 0;
  block = new (std::nothrow) MemoryBlock{data, usable};
  if (block == nullptr) {
    jpeg_destroy_decompress(&decompressor);
    return false;
  }
  installMemorySource(&decompressor, block);

  jpeg_read_header(&decompressor, TRUE);
  // A forged header can claim up to 65535 x 65535 x 4 bytes. Refuse anything whose decoded size
  // does not fit the 32-bit sizes of Texture before the library or we try to allocate it.
  const unsigned long long claimed = static_cast<unsigned long long>(decompressor.image_width) *
                                     static_cast<unsigned long long>(decompressor.num_components) *
                                     decompressor.image_height;
  if (claimed > 0xFFFFFFFFull) ERREXIT1(&decompressor, JERR_OUT_OF_MEMORY, PixelBufferCase);
  jpeg_start_decompress(&decompressor);

  texture.width = decompressor.output_width;
  texture.height = decompressor.output_height;
  texture.bitsPerPixel = decompressor.output_components * 8;
  const size_t rowLength =
      static_cast<size_t>(decompressor.output_components) * decompressor.output_width;
  const size_t size = rowLength * decompressor.output_height;

  texture.pixels = static_cast<unsigned char*>(std::malloc(size));
  if (texture.pixels == nullptr) ERREXIT1(&decompressor, JERR_OUT_OF_MEMORY, PixelBufferCase);
  std::memset(texture.pixels, 0, size);

  JSAMPARRAY row =
      (*decompressor.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&decompressor), JPOOL_IMAGE,
                                        static_cast<JDIMENSION>(rowLength), 1);
  size_t offset = 0;
  while (decompressor.output_scanline < decompressor.output_height) {
    jpeg_read_scanlines(&decompressor, row, 1);
    std::memcpy(texture.pixels + offset, row[0], rowLength);
    offset += rowLength;
  }

  jpeg_finish_decompress(&decompressor);
  jpeg_destroy_decompress(&decompressor);
  delete block;
  return true;
}

bool textureFromRgba(Texture& texture, const RgbaImage& image, uint32_t maxSide) {
  if (image.pixels == nullptr || image.width == 0 || image.height == 0 || maxSide == 0) {
    return false;
  }
  const uint32_t longer = image.width > image.height ? image.width : image.height;
  // Whole source pixels per texel, so that every source pixel counts once.
  const uint32_t factor = (longer + maxSide - 1) / maxSide;
  const uint32_t width = (image.width + factor - 1) / factor;
  const uint32_t height = (image.height + factor - 1) / factor;
  auto* pixels = static_cast<unsigned char*>(std::malloc(size_t{width} * height * 4));
  if (pixels == nullptr) return false;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint64_t sum[4] = {0, 0, 0, 0};
      uint32_t count = 0;
      for (uint32_t sy = y * factor; sy < (y + 1) * factor && sy < image.height; ++sy) {
        const unsigned char* row = image.pixels.get() + size_t{sy} * image.width * 4;
        for (uint32_t sx = x * factor; sx < (x + 1) * factor && sx < image.width; ++sx) {
          for (int c = 0; c < 4; ++c) sum[c] += row[size_t{sx} * 4 + c];
          ++count;
        }
      }
      unsigned char* out = pixels + (size_t{y} * width + x) * 4;
      for (int c = 0; c < 4; ++c) out[c] = static_cast<unsigned char>(sum[c] / count);
    }
  }
  texture.pixels = pixels;
  texture.bitsPerPixel = 32;
  texture.width = width;
  texture.height = height;
  return true;
}

}  // namespace marvolet
