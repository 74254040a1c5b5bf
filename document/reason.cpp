#include "document/reason.h"

#include <cstring>

namespace tintwell::document {
namespace {

// The words for a kind of problem, before the system's own words for it.
const char* Words(Problem problem) {
    switch (problem) {
        case Problem::WrongName:
            return "its name is not that of a picture file taken here";
        case Problem::NotItsFormat:
            return "it is not a";
        case Problem::Missing:
            return "the file does not exist";
        case Problem::Folder:
            return "it is a folder, not a file";
        case Problem::NotAFile:
            return "it is not a regular file (a pipe, a device or a socket)";
        case Problem::CantOpen:
            return "it cannot be opened";
        case Problem::CantRead:
            return "the file could not be read to its end";
        case Problem::Damaged:
            return "it is damaged";
        case Problem::Unsupported:
            return "it is of a kind this program does not take";
        case Problem::TooLarge:
            return "the picture is larger than";
        case Problem::NoMemory:
            return "there is not enough memory";
        case Problem::Changed:
            return "the file changed while it was worked on";
        case Problem::Interrupted:
            return "the program was asked to stop";
        case Problem::NoPicture:
            return "there is no picture to save";
        case Problem::TooLargeToWrite:
            return "the picture is too large for";
        case Problem::LinkLeadsNowhere:
            return "the link it names leads nowhere";
        case Problem::ReadOnly:
            return "the file is read-only";
        case Problem::FolderReadOnly:
            return "its folder can't be written";
        case Problem::HardLinked:
            return "it has other names (hard links), which replacing it would split off";
        case Problem::OwnerNotKept:
            return "the new file could not be given its owner and group (it belongs to "
                   "another user)";
        case Problem::AttributesNotKept:
            return "its extended attributes (ACLs, security labels) could not be kept";
        case Problem::CantWrite:
            return "it could not be written";
        case Problem::CantSync:
            return "it could not be written to disk";
        case Problem::CantReplace:
            return "it could not take the old file's place";
    }
    return "something went wrong";
}

}  // namespace

std::string Reason(const Error& error) {
    std::string words = Words(error.problem);
    const bool detailed =
        error.problem == Problem::Damaged || error.problem == Problem::Unsupported;
    if (detailed && !error.detail.empty()) words = error.detail;
    if (!detailed && !error.detail.empty()) words += " " + error.detail;
    if (error.problem == Problem::NotItsFormat) words += " file";
    if (error.sysError != 0) words += std::string(": ") + std::strerror(error.sysError);
    return words;
}

}  // namespace tintwell::document
