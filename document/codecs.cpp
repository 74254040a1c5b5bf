// Every format the programs take, by name and by content: the one place that knows them all.
#include <png.h>

#include <algorithm>
#include <cctype>

#include "document/bmp/codec.h"
#include "document/codec.h"
#include "document/limits.h"
#include "document/png/codec.h"
#include "document/raw/codec.h"
#include "document/tiff/codec.h"

namespace tintwell::document {
namespace {

using Reader = Result<Picture> (*)(ByteSource&, std::uint64_t);
using Writer = Status (*)(const Picture&, SafeFile&);
using Positive = std::shared_ptr<const Keepsake> (*)(const Picture&,
                                                     const std::vector<std::uint8_t>&);

std::shared_ptr<const Keepsake> NoProfile(const Picture&, const std::vector<std::uint8_t>&) {
    return nullptr;
}

bool IsBmp(std::span<const std::uint8_t> head) {
    return head.size() >= 2 && head[0] == 'B' && head[1] == 'M';
}
bool IsTiff(std::span<const std::uint8_t> head) {
    if (head.size() < 4) return false;
    const bool little =
        head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0;
    const bool big =
        head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43);
    return little || big;
}
bool IsPng(std::span<const std::uint8_t> head) {
    return head.size() >= 8 && png_sig_cmp(head.data(), 0, 8) == 0;
}

class FormatCodec final : public Codec {
public:
    FormatCodec(Format kind, bool (*recognises)(std::span<const std::uint8_t>), Reader read,
                Writer write, Positive positive)
        : m_kind(kind),
          m_recognises(recognises),
          m_read(read),
          m_write(write),
          m_positive(positive) {}
    Format Kind() const override { return m_kind; }
    bool Recognises(std::span<const std::uint8_t> head) const override {
        return m_recognises(head);
    }
    Result<Picture> Read(ByteSource& source) const override { return m_read(source, kMaxPixels); }
    Status Write(const Picture& picture, SafeFile& file) const override {
        return m_write(picture, file);
    }
    std::shared_ptr<const Keepsake> AsPositive(
        const Picture& picture, const std::vector<std::uint8_t>& profile) const override {
        return m_positive(picture, profile);
    }

private:
    Format m_kind;
    bool (*m_recognises)(std::span<const std::uint8_t>);
    Reader m_read;
    Writer m_write;
    Positive m_positive;
};

// Raw files are taken, never written: their corrections are TIFFs.
Status NeverWritten(const Picture&, SafeFile&) {
    return Unsupported("a camera raw file is never written");
}

bool AnyContent(std::span<const std::uint8_t>) {
    return true;  // LibRaw itself tells whether it is a raw file
}

bool EndsWith(std::string_view path, std::string_view suffix) {
    return path.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), path.end() - suffix.size(), [](char s, char p) {
               return s == std::tolower(static_cast<unsigned char>(p));
           });
}

}  // namespace

const Codec& BmpCodec() {
    static const FormatCodec codec(
        Format::Bmp, IsBmp, bmp::Read,
        [](const Picture& p, SafeFile& f) { return bmp::Write(p, f, false); }, NoProfile);
    return codec;
}

const Codec& ProxyCodec() {
    static const FormatCodec codec(
        Format::Bmp, IsBmp, bmp::Read,
        [](const Picture& p, SafeFile& f) { return bmp::Write(p, f, true); }, NoProfile);
    return codec;
}

const Codec& TiffCodec() {
    static const FormatCodec codec(Format::Tiff, IsTiff, tiff::Read, tiff::Write, tiff::AsPositive);
    return codec;
}

const Codec& PngCodec() {
    static const FormatCodec codec(Format::Png, IsPng, png::Read, png::Write, png::AsPositive);
    return codec;
}

const Codec& RawCodec() {
    static const FormatCodec codec(Format::Raw, AnyContent, raw::Read, NeverWritten,
                                   tiff::AsPositive);
    return codec;
}

const Codec* CodecForName(std::string_view path) {
    if (raw::IsRawName(path)) return &RawCodec();
    if (EndsWith(path, ".bmp")) return &BmpCodec();
    if (EndsWith(path, ".tif") || EndsWith(path, ".tiff")) return &TiffCodec();
    if (EndsWith(path, ".png")) return &PngCodec();
    return nullptr;
}

const char* FormatName(Format format) {
    switch (format) {
        case Format::Bmp:
            return "bitmap";
        case Format::Tiff:
            return "TIFF";
        case Format::Png:
            return "PNG";
        case Format::Raw:
            return "camera raw";
    }
    return "";
}

}  // namespace tintwell::document
