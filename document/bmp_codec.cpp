// The bitmap format through our own reader and writer, and the choice of codec by name.
#include <algorithm>
#include <cctype>
#include <string>

#include "document/bmp_reader.h"
#include "document/bmp_writer.h"
#include "document/codec.h"

namespace tintwell::document {
namespace {

class Bmp final : public Codec {
public:
    explicit Bmp(bool proxy) : m_proxy(proxy) {}
    Format Kind() const override { return Format::Bmp; }
    bool Recognises(std::span<const std::uint8_t> head) const override {
        return head.size() >= 2 && head[0] == 'B' && head[1] == 'M';
    }
    Result<Picture> Read(ByteSource& source) const override {
        auto pixels = DecodeBmp(source);
        if (!pixels) return pixels.Failure();
        return Picture{std::move(pixels.Value()), Format::Bmp, nullptr};
    }
    Status Write(const Picture& picture, SafeFile& file) const override {
        return EncodeBmp(picture.pixels, file, m_proxy);
    }

private:
    bool m_proxy;
};

bool EndsWith(std::string_view path, std::string_view suffix) {
    return path.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), path.end() - suffix.size(), [](char s, char p) {
               return s == std::tolower(static_cast<unsigned char>(p));
           });
}

}  // namespace

const Codec& BmpCodec() {
    static const Bmp codec(false);
    return codec;
}

const Codec& ProxyCodec() {
    static const Bmp codec(true);
    return codec;
}

const Codec* CodecForName(std::string_view path) {
    if (EndsWith(path, ".bmp")) return &BmpCodec();
    if (EndsWith(path, ".tif") || EndsWith(path, ".tiff")) return &TiffCodec();
    if (EndsWith(path, ".png")) return &PngCodec();
    return nullptr;
}

}  // namespace tintwell::document
