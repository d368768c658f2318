#pragma once
#include <sodium.h>

#include <string>

// minisign (Ed25519) signatures and SHA-256 digests, through libsodium.

// Empty when signatureFile (the text of a .minisig file) is a valid signature
// of message, trusted comment included, by publicKey (the base64 line of a
// minisign public key, or the whole key file); otherwise the reason.
std::string VerifyMinisignSignature(const std::string& message, const std::string& signatureFile,
                                    const std::string& publicKey);

// Empty when publicKey is a usable minisign public key; otherwise the reason
// ("No update key is built in." when there is none).
std::string CheckMinisignKey(const std::string& publicKey);

// SHA-256, lower-case hex.
class TSha256 {
public:
  TSha256();
  void Add(const void* data, size_t size);
  std::string HexDigest();

private:
  crypto_hash_sha256_state State;
};
std::string Sha256Hex(const std::string& data);
// Of a file; empty when it cannot be read.
std::string Sha256OfFile(const std::string& path);
