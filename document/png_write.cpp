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

// The texts in libpng's form, pointing into the keepsake.
std::vector<png_text> TextsOf(const PngKeepsake& keep) {
    std::vector<png_text> texts;
    for (const Text& t : keep.texts) {
        png_text text{};
        text.compression = t.compression;
        text.key = const_cast<char*>(t.key.c_str());
        text.text = const_cast<char*>(t.text.c_str());
        if (t.compression >= PNG_ITXT_COMPRESSION_NONE) {
            text.itxt_length = t.text.size();
            text.lang = const_cast<char*>(t.language.c_str());
            text.lang_key = const_cast<char*>(t.translatedKey.c_str());
        } else {
            text.text_length = t.text.size();
        }
        texts.push_back(text);
    }
    return texts;
}

std::vector<png_unknown_chunk> UnknownOf(const PngKeepsake& keep) {
    std::vector<png_unknown_chunk> chunks;
    for (const Chunk& c : keep.unknown) {
        png_unknown_chunk chunk{};
        std::copy_n(c.name.begin(), 4, chunk.name);
        chunk.data = const_cast<png_byte*>(c.data.data());
        chunk.size = c.data.size();
        chunk.location = static_cast<png_byte>(c.location);
        chunks.push_back(chunk);
    }
    return chunks;
}

void SetChunks(png_structp png, png_infop info, const PngKeepsake& keep,
               std::vector<png_text>& texts, std::vector<png_unknown_chunk>& unknown) {
    if (keep.iccp)
        png_set_iCCP(png, info, keep.iccp->first.c_str(), PNG_COMPRESSION_TYPE_BASE,
                     keep.iccp->second.data(), static_cast<png_uint_32>(keep.iccp->second.size()));
    if (keep.srgb) png_set_sRGB(png, info, *keep.srgb);
    if (keep.gamma) png_set_gAMA_fixed(png, info, *keep.gamma);
    if (const auto& c = keep.chrm)
        png_set_cHRM_fixed(png, info, (*c)[0], (*c)[1], (*c)[2], (*c)[3], (*c)[4], (*c)[5], (*c)[6],
                           (*c)[7]);
    if (keep.phys) png_set_pHYs(png, info, keep.phys->x, keep.phys->y, keep.phys->unit);
    if (!texts.empty()) png_set_text(png, info, texts.data(), static_cast<int>(texts.size()));
    if (keep.exif)
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(keep.exif->size()),
                       const_cast<png_bytep>(keep.exif->data()));
    if (!unknown.empty()) {
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_ALWAYS, nullptr, 0);
        png_set_unknown_chunks(png, info, unknown.data(), static_cast<int>(unknown.size()));
        for (std::size_t i = 0; i < unknown.size(); ++i)
            png_set_unknown_chunk_location(png, info, static_cast<int>(i), unknown[i].location);
    }
}

// libpng's calls, under a jump buffer of their own; this frame holds nothing to destroy.
bool WriteAll(png_structp png, png_infop info, const engine::PixelBuffer& pixels,
              const PngKeepsake& keep, std::vector<png_text>* texts,
              std::vector<png_unknown_chunk>* unknown, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    const engine::Layout& layout = pixels.GetLayout();
    png_set_IHDR(png, info, static_cast<png_uint_32>(pixels.Width()),
                 static_cast<png_uint_32>(pixels.Height()), layout.bits, ColourType(layout),
                 keep.interlace, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    SetChunks(png, info, keep, *texts, *unknown);
    png_write_info(png, info);
    // libpng would write eXIf again at the end; a PNG holds one.
    png_set_invalid(png, info, PNG_INFO_eXIf);
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
    if (pixels.IsScreenLayout())
        return Fail(Problem::TooLargeToWrite, "a PNG file in the screen's layout");
    Io io{nullptr, &file, 0, {}, Done{}};
    WriteStructs s;
    s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &io, OnError, OnWarning);
    if (s.png == nullptr) return Fail(Problem::NoMemory);
    s.info = png_create_info_struct(s.png);
    if (s.info == nullptr) return Fail(Problem::NoMemory);
    png_set_write_fn(s.png, &io, WriteBytes, Flush);
    std::vector<png_text> texts = TextsOf(keep);
    std::vector<png_unknown_chunk> unknown = UnknownOf(keep);
    std::vector<png_bytep> rows(static_cast<std::size_t>(pixels.Height()));
    for (int y = 0; y < pixels.Height(); ++y)
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(pixels.Bytes(y));
    if (WriteAll(s.png, s.info, pixels, keep, &texts, &unknown, rows.data())) return Done{};
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
    Result<Picture> Read(ByteSource& source) const override {
        return ReadPng(source, kMaxPixels);
    }
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
