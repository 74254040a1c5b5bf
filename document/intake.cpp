#include "document/intake.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "document/codec.h"
#include "document/limits.h"

namespace tintwell::document {
namespace {

Result<Picture> ReadGuarded(const Codec& codec, ByteSource& source) {
    return Guarded([&] { return codec.Read(source); },
                   [] { return Result<Picture>(Fail(Problem::NoMemory)); });
}

}  // namespace

bool HasBmpName(std::string_view path) {
    constexpr std::string_view kExtension = ".BMP";
    if (path.size() < kExtension.size()) return false;
    const std::string_view tail = path.substr(path.size() - kExtension.size());
    return std::equal(tail.begin(), tail.end(), kExtension.begin(), [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == b;
    });
}

Result<Intake> TakeIn(const std::string& path, Names names, FileSystem& system) {
    const Codec* codec =
        names == Names::BmpOnly ? (HasBmpName(path) ? &BmpCodec() : nullptr) : CodecForName(path);
    if (codec == nullptr) return Fail(Problem::WrongName);
    auto opened = FileSource::Open(path, system);
    if (!opened) return opened.Failure();
    FileSource& source = *opened.Value();
    std::array<std::uint8_t, 8> head{};
    const std::size_t got = source.ReadAt(0, head);
    Result<Picture> picture = codec->Recognises(std::span(head).first(got))
                                  ? ReadGuarded(*codec, source)
                                  : Fail(Problem::NotItsFormat, FormatName(codec->Kind()));
    if (!source.Unchanged()) return Fail(Problem::Changed);
    if (!picture) return picture.Failure();
    return Intake{std::move(opened.Value()), std::move(picture.Value())};
}

}  // namespace tintwell::document
