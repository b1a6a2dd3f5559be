#pragma once
// What the browser engine's sources share: the export of an entry point and
// the state every entry point reads.

#include <string>

#if defined(__EMSCRIPTEN__)
#include <emscripten/emscripten.h>
#define REACTOPT_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE
#else
#define REACTOPT_EXPORT extern "C"
#endif

// The bytes of "DataFile.dat" the page handed over; empty before.
const std::string& EngineDataFile();
// Keeps `message` (UTF-8) for reactopt_error.
void SetEngineError(const std::string& message);
