// Writing a PNG through libpng, with the chunks it was read with, and the PNG codec.
#include <memory>
#include <vector>

#include "document/bmp_header.h"
#include "document/codec.h"
#include "document/png_keepsake.h"

namespace tintwell::document::png {
namespace {

void WriteBytes(png_structp png, png_bytep data, std::size_t size) {
    auto* io = static_cast<Io*>(png_get_io_ptr(png));
    io->written = io->file->Write(std::span<const std::uint8_t>(data, size));
    if (!io->written) png_error(png, "it could not be written");
}

void Flush(png_structp) {}

struct WriteStructs {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~WriteStructs() { png_destroy_write_struct(&png, &info); }
};

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

Status WritePng(const Picture& picture, SafeFile& file) {
    static const PngKeepsake kPlain;
    const auto* kept = dynamic_cast<const PngKeepsake*>(picture.keepsake.get());
    const PngKeepsake& keep = kept != nullptr ? *kept : kPlain;
    const engine::PixelBuffer& pixels = picture.pixels;
    if (pixels.IsEmpty()) return Fail(Problem::NoPicture);
    if (pixels.IsScreenLayout()) return Fail(Problem::WrongLayout, "a PNG file's");
    Io io{nullptr, &file, 0, {}, Done{}};
    WriteStructs s;
    s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &io, OnError, OnWarning);
    if (s.png == nullptr) return Fail(Problem::NoMemory);
    s.info = png_create_info_struct(s.png);
    if (s.info == nullptr) return Fail(Problem::NoMemory);
    png_set_write_fn(s.png, &io, WriteBytes, Flush);
    std::vector<png_unknown_chunk> chunks = ChunksOf(keep);
    std::vector<png_bytep> rows(static_cast<std::size_t>(pixels.Height()));
    for (int y = 0; y < pixels.Height(); ++y)
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(pixels.Bytes(y));
    if (WriteAll(s.png, s.info, pixels, keep, &chunks, rows.data())) return Done{};
    if (!io.written) return io.written.Failure();
    return Fail(Problem::CantWrite, "(" + io.error + ")");
}

namespace {

class Png final : public Codec {
public:
    Format Kind() const override { return Format::Png; }
    bool Recognises(std::span<const std::uint8_t> head) const override {
        return head.size() >= 8 && png_sig_cmp(head.data(), 0, 8) == 0;
    }
    Result<Picture> Read(ByteSource& source) const override { return ReadPng(source, kMaxPixels); }
    Status Write(const Picture& picture, SafeFile& file) const override {
        return WritePng(picture, file);
    }
};

}  // namespace
}  // namespace tintwell::document::png

namespace tintwell::document {

const Codec& PngCodec() {
    static const png::Png codec;
    return codec;
}

}  // namespace tintwell::document
