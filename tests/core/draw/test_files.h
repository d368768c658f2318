#pragma once
// Reading back what a drawing or the command line wrote.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// The whole file's bytes; empty when it cannot be read.
inline std::string Slurp(const std::filesystem::path& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}
