// Writing a PNG through libpng, with the chunks it was read with.
#include <zlib.h>

#include <memory>
#include <vector>

#include "document/png/codec.h"
#include "document/png/keepsake.h"
#include "document/png/session.h"

namespace tintwell::document::png {
namespace {

int ColourType(const engine::Layout& layout) {
    const int alpha = layout.HasAlpha() ? PNG_COLOR_MASK_ALPHA : 0;
    return (layout.IsGrey() ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB) | alpha;
}

int Location(Where where) {
    switch (where) {
        case Where::BeforePalette:
            return PNG_HAVE_IHDR;
        case Where::BeforePixels:
            return PNG_HAVE_PLTE;
        case Where::AfterPixels:
            break;
    }
    return PNG_AFTER_IDAT;
}

// The kept chunks in libpng's form, pointing into the keepsake, each written as it was read.
std::vector<png_unknown_chunk> ChunksOf(const PngKeepsake& keep) {
    std::vector<png_unknown_chunk> chunks;
    for (const Chunk& c : keep.chunks) {
        png_unknown_chunk chunk{};
        std::copy_n(c.name.begin(), 4, chunk.name);
        chunk.data = const_cast<png_byte*>(c.data.data());
        chunk.size = c.data.size();
        chunk.location = static_cast<png_byte>(Location(c.where));
        chunks.push_back(chunk);
    }
    return chunks;
}

void SetChunks(png_structp png, png_infop info, std::vector<png_unknown_chunk>& chunks) {
    if (chunks.empty()) return;
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_ALWAYS, nullptr, 0);
    png_set_unknown_chunks(png, info, chunks.data(), static_cast<int>(chunks.size()));
    for (std::size_t i = 0; i < chunks.size(); ++i)
        png_set_unknown_chunk_location(png, info, static_cast<int>(i), chunks[i].location);
}

// libpng's calls, under a jump buffer of their own; this frame holds nothing to destroy.
bool WriteAll(png_structp png, png_infop info, const engine::PixelBuffer& pixels,
              const PngKeepsake& keep, std::vector<png_unknown_chunk>* chunks, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    const engine::Layout& layout = pixels.GetLayout();
    png_set_IHDR(png, info, static_cast<png_uint_32>(pixels.Width()),
                 static_cast<png_uint_32>(pixels.Height()), layout.bits, ColourType(layout),
                 keep.interlace, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    SetChunks(png, info, *chunks);
    png_write_info(png, info);
    if (layout.bits == 16) png_set_swap(png);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

}  // namespace

Status Write(const Picture& picture, SafeFile& file) {
    const PngKeepsake& keep = KeepsakeAs<PngKeepsake>(picture);
    const engine::PixelBuffer& pixels = picture.pixels;
    if (pixels.IsEmpty()) return Fail(Problem::NoPicture);
    if (pixels.IsScreenLayout()) return Fail(Problem::WrongLayout, "a PNG file's");
    LibraryIo io(file);
    Session s(io, true);
    if (!s.IsOpen()) return Fail(Problem::NoMemory);
    std::vector<png_unknown_chunk> chunks = ChunksOf(keep);
    std::vector<png_bytep> rows(static_cast<std::size_t>(pixels.Height()));
    for (int y = 0; y < pixels.Height(); ++y)
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(pixels.Bytes(y));
    if (WriteAll(s.Png(), s.Info(), pixels, keep, &chunks, rows.data())) return Done{};
    return io.WriteFailure();
}

// The profile goes in an iCCP chunk first, deflated as PNG has it; sRGB, gAMA, cHRM and cICP,
// which said how the scan's values were to be seen, go.
std::shared_ptr<const Keepsake> AsPositive(const Picture& picture,
                                           const std::vector<std::uint8_t>& profile) {
    auto keep = std::make_shared<PngKeepsake>(KeepsakeAs<PngKeepsake>(picture));
    std::erase_if(keep->chunks, [](const Chunk& c) {
        return c.name == "iCCP" || c.name == "sRGB" || c.name == "gAMA" || c.name == "cHRM" ||
               c.name == "cICP";
    });
    uLongf size = compressBound(profile.size());
    std::vector<std::uint8_t> data = {'T', 'i', 'n', 't', 'w', 'e', 'l', 'l', 0, 0};
    const std::size_t head = data.size();
    data.resize(head + size);
    compress2(data.data() + head, &size, profile.data(), profile.size(), 9);
    data.resize(head + size);
    keep->chunks.insert(keep->chunks.begin(), Chunk{"iCCP", std::move(data), Where::BeforePalette});
    return keep;
}

}  // namespace tintwell::document::png
