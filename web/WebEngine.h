#pragma once
// What the browser engine's sources share: the export of an entry point and
// the state every entry point reads.

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

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

// Reading a request, alike in every entry point: a request's text as JSON, a
// text that is none refused by the byte where it goes wrong; a member of an
// object (null when missing or `v` is no object); the items of an array
// (none when `v` is none); a true boolean; a number or a string holding one
// as its text (anything else empty); a whole number, a seed and a list of
// texts, with the request's messages.
using Json = nlohmann::json;
Json ParseRequest(const char* text);
const Json& Member(const Json& v, const char* key);
const Json& Items(const Json& v);
bool Flag(const Json& v);
std::string TextOf(const Json& v);
int WholeNumber(const Json& v, const char* what);
std::uint64_t Seed(const Json& v);
std::vector<std::string> Texts(const Json& v);
