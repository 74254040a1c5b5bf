// Reading a PNG: its chunks as the file has them, then its pixels through libpng.
#include <vector>

#include "document/limits.h"
#include "document/png/codec.h"
#include "document/png/keepsake.h"
#include "document/png/session.h"

namespace tintwell::document::png {
namespace {

// Damage that libpng would otherwise mend by leaving a chunk out is an error: a bad CRC in an
// ancillary chunk, a bad profile or text, compressed data over the limit. The chunks kept are
// read as the file has them (see chunks.h); libpng checks them.
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
        return TooLarge(maxPixels);
    return engine::FileLayout((type & PNG_COLOR_MASK_COLOR) == 0,
                              (type & PNG_COLOR_MASK_ALPHA) != 0, bits);
}

}  // namespace

Result<Picture> Read(ByteSource& source, std::uint64_t maxPixels) {
    auto chunks = ReadChunks(source);
    if (!chunks) return chunks.Failure();
    LibraryIo io(source);
    Session s(io, false);
    if (!s.IsOpen()) return Fail(Problem::NoMemory);
    if (!ReadHeader(s.Png(), s.Info())) return io.ReadFailure("libpng");
    auto layout = LayoutOf(s.Png(), s.Info(), maxPixels);
    if (!layout) return layout.Failure();
    auto pixels = engine::PixelBuffer::Allocate(
        static_cast<int>(png_get_image_width(s.Png(), s.Info())),
        static_cast<int>(png_get_image_height(s.Png(), s.Info())), layout.Value());
    if (!pixels) return Fail(Problem::NoMemory);
    std::vector<png_bytep> rows(static_cast<std::size_t>(pixels->Height()));
    for (int y = 0; y < pixels->Height(); ++y) rows[static_cast<std::size_t>(y)] = pixels->Bytes(y);
    if (!ReadRows(s.Png(), s.Info(), rows.data(), s.End())) return io.ReadFailure("libpng");
    auto keep = std::make_shared<PngKeepsake>();
    keep->interlace = png_get_interlace_type(s.Png(), s.Info());
    keep->chunks = std::move(chunks.Value());
    return Picture{std::move(*pixels), Format::Png, std::move(keep)};
}

}  // namespace tintwell::document::png
