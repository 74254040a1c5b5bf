#pragma once

#include <string>
#include <utility>
#include <variant>

namespace tintwell::document {

// Why a file could not be read or written. The kind decides what happens next; the words are
// chosen where the user is told (see reason.h).
enum class Problem {
    // Reading.
    WrongName,     // a name whose ending is not of a format taken
    NotItsFormat,  // the content is not of the format its name says (detail: the format)
    Missing,       // no such file
    Folder,        // a folder where a file was expected
    NotAFile,      // a pipe, a device, a socket
    CantOpen,      // the system refused to open it (sysError)
    CantRead,      // reading failed or ended early (sysError, where there is one)
    Damaged,       // the content is not a valid picture of its kind (detail)
    Unsupported,   // a valid picture of a kind refused on purpose (detail)
    TooLarge,      // more pixels than the reader takes (detail)
    NoMemory,      // an allocation or a thread could not be had
    Changed,       // the file changed, or was replaced, while it was worked on
    Interrupted,   // the program was asked to stop
    // Writing.
    NoPicture,          // nothing to write
    TooLargeToWrite,    // the picture does not fit the file format (detail)
    WrongLayout,        // its pixels are not laid out as the format's are (detail: the format)
    LinkLeadsNowhere,   // a symbolic link to nothing
    ReadOnly,           // the file may not be written by this user
    FolderReadOnly,     // its folder may not be written by this user
    CantMakeFolder,     // the folder to write into could not be made (detail: the folder)
    HardLinked,         // it has other names, which replacing it would split off
    OwnerNotKept,       // this user can't give the new file the old one's owner and group
    AttributesNotKept,  // extended attributes (ACLs, labels) could not be copied (sysError)
    CantWrite,          // creating or writing the new content failed (sysError)
    CantSync,           // flushing it to disk failed (sysError)
    CantReplace,        // it could not take the old file's place (sysError)
};

struct Error {
    Problem problem = Problem::CantRead;
    std::string detail;  // what exactly is wrong with the content, in the format's terms
    int sysError = 0;    // errno of a failed system call, 0 where none
};

// A value, or the reason there is none.
template <typename T>
class Result {
public:
    Result(T value) : m_state(std::move(value)) {}  // NOLINT: implicit on purpose
    Result(Error error) : m_state(std::move(error)) {}

    bool Ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return Ok(); }
    T& Value() { return std::get<T>(m_state); }
    const T& Value() const { return std::get<T>(m_state); }
    const Error& Failure() const { return std::get<Error>(m_state); }

private:
    std::variant<T, Error> m_state;
};

struct Done {};
using Status = Result<Done>;

inline Error Fail(Problem problem, std::string detail = {}, int sysError = 0) {
    return Error{problem, std::move(detail), sysError};
}
// A file whose content is not what its format allows.
inline Error Damaged(std::string detail) {
    return Fail(Problem::Damaged, std::move(detail));
}
// A file of a kind refused by design.
inline Error Unsupported(std::string detail) {
    return Fail(Problem::Unsupported, std::move(detail));
}

}  // namespace tintwell::document
