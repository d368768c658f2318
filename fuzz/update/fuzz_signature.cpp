// A signature file and the description it signs (split at the first NUL),
// checked against a fixed minisign key.
#include <cstddef>
#include <cstdint>
#include <string>

#include "update/signature.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string signature = input.substr(0, split);
  const std::string message = split == std::string::npos ? std::string() : input.substr(split + 1);
  VerifyMinisignSignature(message, signature, "RWRSXRLyA3tz+ab6eSVtFSogG/JtKsA33yX46jGvh55MQ6kRMsmZj/YI");
  VerifyMinisignSignature(message, signature, signature);
  return 0;
}
