#pragma once
// What the engine's entry points share across their files.

#include <string>

// The bytes of "DataFile.dat" the page handed over.
const std::string& EngineDataFile();
