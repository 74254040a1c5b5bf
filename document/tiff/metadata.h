#pragma once

#include <cstdint>

#include "document/result.h"
#include "document/safe_file.h"
#include "document/tiff/directory.h"

namespace tintwell::document::tiff {

// A TIFF's metadata as the file holds it: every tag of its directory but those that describe
// the pixel data (written anew from the picture) and those whose meaning the correction changes
// (the range of sample values), with the EXIF, GPS and interoperability directories and the
// EXIF thumbnail, byte for byte.
struct Metadata {
    Variant variant;
    Node main;
};

// Reads the metadata of the file's one picture, and checks that its strip (or tile) tables have
// an entry for every strip (or tile) the picture needs, each within the file.
Result<Metadata> ReadMetadata(const Bytes& file, bool tiled);

// Adds the metadata to the directory libtiff has just written into `file`, in its place.
Status WriteMetadata(SafeFile& file, const Metadata& metadata);

}  // namespace tintwell::document::tiff
