#pragma once

#include <cstdio>

namespace ostrivane::cli {

// True when the stream is a terminal (a person may answer or read colours there).
bool IsTerminal(std::FILE* stream);

}  // namespace ostrivane::cli
