#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "document/byte_source.h"
#include "document/file_system.h"
#include "document/picture.h"
#include "document/result.h"

namespace tintwell::document {

// Which names are taken: the window's rule (".BMP" in any letter case, nothing else looked
// at), or the roll program's (.bmp, .tif, .tiff and .png in any case).
enum class Names { BmpOnly, Pictures };

// A dropped file is taken only when its name ends in ".BMP", in any letter case.
bool HasBmpName(std::string_view path);

// A file taken in: its picture, and the file it was read from, still open, so that whether it
// changed can be asked of the very file that was read.
struct Intake {
    std::unique_ptr<FileSource> source;
    Picture picture;
};

// The name test, then the file opened once, its content checked against its name, and read.
// A file that changed while it was read is refused as changed, whatever the reader made of it.
Result<Intake> TakeIn(const std::string& path, Names names, FileSystem& system = RealFileSystem());

}  // namespace tintwell::document
