// Reading a PNG through libpng: 8- and 16-bit grey or RGB, with or without alpha, interlaced or
// not, and the chunks it needs to be written back.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "document/png_keepsake.h"

namespace tintwell::document::png {

void OnError(png_structp png, png_const_charp message) {
    auto* io = static_cast<Io*>(png_get_error_ptr(png));
    if (io->error.empty()) io->error = message;
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

namespace {

// libpng's reading and error calls jump back to the step that called libpng; the frames they
// jump over are libpng's and these callbacks', which hold nothing to destroy.
void ReadBytes(png_structp png, png_bytep data, std::size_t size) {
    auto* io = static_cast<Io*>(png_get_io_ptr(png));
    const std::size_t got = io->source->ReadAt(io->position, std::span(data, size));
    io->position += got;
    if (got != size) png_error(png, "the file ends before the picture does (truncated)");
}

// Damage that libpng would otherwise mend by leaving a chunk out is an error: a bad CRC in an
// ancillary chunk, a bad profile or text, compressed data over the limit. Chunks this program
// keeps are read as the file has them (see png_chunks.h); libpng checks them.
bool ReadHeader(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_benign_errors(png, 0);
    png_set_crc_action(png, PNG_CRC_DEFAULT, PNG_CRC_ERROR_QUIT);
    png_set_chunk_malloc_max(png, kMostInflated + (std::size_t{1} << 20));
    png_set_chunk_cache_max(png, 0);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_read_info(png, info);
    return true;
}

bool ReadRows(png_structp png, png_infop info, png_bytepp rows, png_infop end) {
    if (setjmp(png_jmpbuf(png))) return false;
    if (png_get_bit_depth(png, info) == 16) png_set_swap(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    png_read_image(png, rows);
    png_read_end(png, end);
    return true;
}

struct ReadStructs {
    png_structp png = nullptr;
    png_infop info = nullptr, end = nullptr;
    ~ReadStructs() { png_destroy_read_struct(&png, &info, &end); }
};

Result<engine::Layout> LayoutOf(png_structp png, png_infop info, std::uint64_t maxPixels) {
    const int type = png_get_color_type(png, info);
    const int bits = png_get_bit_depth(png, info);
    if (type == PNG_COLOR_TYPE_PALETTE)
        return Unsupported("palette pictures are not taken; only grey and RGB are");
    if (bits < 8) return Unsupported("its samples have fewer than 8 bits");
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        return Unsupported(
            "its transparency is a colour key (tRNS), which the correction would move");
    if (std::uint64_t{png_get_image_width(png, info)} * png_get_image_height(png, info) > maxPixels)
        return Fail(Problem::TooLarge, std::to_string(maxPixels / 1000000) + " megapixels");
    return engine::FileLayout((type & PNG_COLOR_MASK_COLOR) == 0,
                              (type & PNG_COLOR_MASK_ALPHA) != 0, bits);
}

Error Failure(const Io& io) {
    return Damaged(io.error.empty() ? "libpng could not read it" : io.error);
}

}  // namespace

Result<Picture> ReadPng(ByteSource& source, std::uint64_t maxPixels) {
    auto chunks = ReadChunks(source);
    if (!chunks) return chunks.Failure();
    Io io{&source, nullptr, 0, {}, Done{}};
    ReadStructs s;
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &io, OnError, OnWarning);
    if (s.png == nullptr) return Fail(Problem::NoMemory);
    s.info = png_create_info_struct(s.png);
    s.end = png_create_info_struct(s.png);
    if (s.info == nullptr || s.end == nullptr) return Fail(Problem::NoMemory);
    png_set_read_fn(s.png, &io, ReadBytes);
    if (!ReadHeader(s.png, s.info)) return Failure(io);
    auto layout = LayoutOf(s.png, s.info, maxPixels);
    if (!layout) return layout.Failure();
    auto pixels = engine::PixelBuffer::Allocate(
        static_cast<int>(png_get_image_width(s.png, s.info)),
        static_cast<int>(png_get_image_height(s.png, s.info)), layout.Value());
    if (!pixels) return Fail(Problem::NoMemory);
    std::vector<png_bytep> rows(static_cast<std::size_t>(pixels->Height()));
    for (int y = 0; y < pixels->Height(); ++y) rows[static_cast<std::size_t>(y)] = pixels->Bytes(y);
    if (!ReadRows(s.png, s.info, rows.data(), s.end)) return Failure(io);
    auto keep = std::make_shared<PngKeepsake>();
    keep->interlace = png_get_interlace_type(s.png, s.info);
    keep->chunks = std::move(chunks.Value());
    return Picture{std::move(*pixels), Format::Png, std::move(keep)};
}

}  // namespace tintwell::document::png
