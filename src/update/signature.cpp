#include "update/signature.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <mutex>
#include <sstream>
#include <vector>

namespace {

void InitSodium() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
  });
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool DecodeBase64(const std::string& text, std::vector<unsigned char>& bytes, size_t expected) {
  bytes.assign(expected + 3, 0);
  size_t length = 0;
  const char* end = nullptr;
  if (sodium_base642bin(bytes.data(), bytes.size(), text.data(), text.size(), " \t", &length, &end,
                        sodium_base64_VARIANT_ORIGINAL) != 0)
    return false;
  if (end != text.data() + text.size() || length != expected) return false;
  bytes.resize(length);
  return true;
}

std::string HexOf(const unsigned char* bytes, size_t size) {
  std::string hex(size * 2 + 1, '\0');
  sodium_bin2hex(hex.data(), hex.size(), bytes, size);
  hex.pop_back();
  return hex;
}

}  // namespace

namespace {

// The key: the last line that is not a comment. Empty when usable, else why not.
std::string DecodeKey(const std::string& publicKey, std::vector<unsigned char>& key) {
  InitSodium();
  std::string keyLine;
  for (const std::string& line : Lines(publicKey))
    if (!line.empty() && line.rfind("untrusted comment:", 0) != 0) keyLine = line;
  if (keyLine.empty()) return "No update key is built in.";
  if (!DecodeBase64(keyLine, key, 2 + 8 + crypto_sign_PUBLICKEYBYTES) || key[0] != 'E' || key[1] != 'd')
    return "The update key is not a minisign public key.";
  return {};
}

}  // namespace

std::string CheckMinisignKey(const std::string& publicKey) {
  std::vector<unsigned char> key;
  return DecodeKey(publicKey, key);
}

std::string VerifyMinisignSignature(const std::string& message, const std::string& signatureFile,
                                    const std::string& publicKey) {
  std::vector<unsigned char> key;
  if (std::string problem = DecodeKey(publicKey, key); !problem.empty()) return problem;

  if (signatureFile.size() > 4096) return "The signature file is too large.";
  const std::vector<std::string> lines = Lines(signatureFile);
  if (lines.size() < 4 || lines[0].rfind("untrusted comment:", 0) != 0 ||
      lines[2].rfind("trusted comment: ", 0) != 0)
    return "The signature file is damaged.";
  std::vector<unsigned char> signature, global;
  if (!DecodeBase64(lines[1], signature, 2 + 8 + crypto_sign_BYTES) ||
      !DecodeBase64(lines[3], global, crypto_sign_BYTES))
    return "The signature file is damaged.";
  const bool prehashed = signature[0] == 'E' && signature[1] == 'D';
  if (!prehashed && !(signature[0] == 'E' && signature[1] == 'd')) return "The signature has an unknown algorithm.";
  if (!std::equal(signature.begin() + 2, signature.begin() + 10, key.begin() + 2))
    return "The description is signed with another key.";
  const unsigned char* pk = key.data() + 10;
  const unsigned char* sig = signature.data() + 10;

  int verified;
  if (prehashed) {
    std::array<unsigned char, crypto_generichash_BYTES_MAX> digest{};
    crypto_generichash(digest.data(), digest.size(), reinterpret_cast<const unsigned char*>(message.data()),
                       message.size(), nullptr, 0);
    verified = crypto_sign_verify_detached(sig, digest.data(), digest.size(), pk);
  } else {
    verified = crypto_sign_verify_detached(sig, reinterpret_cast<const unsigned char*>(message.data()),
                                           message.size(), pk);
  }
  if (verified != 0) return "The signature of the update description is not valid.";

  const std::string trusted = lines[2].substr(std::char_traits<char>::length("trusted comment: "));
  std::vector<unsigned char> signedComment(sig, sig + crypto_sign_BYTES);
  signedComment.insert(signedComment.end(), trusted.begin(), trusted.end());
  if (crypto_sign_verify_detached(global.data(), signedComment.data(), signedComment.size(), pk) != 0)
    return "The trusted comment of the signature is not valid.";
  return {};
}

TSha256::TSha256() {
  InitSodium();
  crypto_hash_sha256_init(&State);
}

void TSha256::Add(const void* data, size_t size) {
  crypto_hash_sha256_update(&State, static_cast<const unsigned char*>(data), size);
}

std::string TSha256::HexDigest() {
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256_final(&State, digest);
  return HexOf(digest, sizeof digest);
}

std::string Sha256Hex(const std::string& data) {
  TSha256 sha;
  sha.Add(data.data(), data.size());
  return sha.HexDigest();
}

std::string Sha256OfFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  TSha256 sha;
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0) {
      ::close(fd);
      return {};
    }
    if (n == 0) break;
    sha.Add(buffer.data(), size_t(n));
  }
  ::close(fd);
  return sha.HexDigest();
}
