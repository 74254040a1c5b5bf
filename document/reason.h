#pragma once

#include <string>

#include "document/result.h"

namespace tintwell::document {

// Why a file could not be read or written, in words that follow "Can't read NAME: " or
// "Can't save NAME: ". The window and the roll program say it alike.
std::string Reason(const Error& error);

}  // namespace tintwell::document
