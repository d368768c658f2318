#include <gtest/gtest.h>

#include "update/signature.h"
#include "updateserver.h"

using namespace updatetest;

TEST(UpdateSignature, MinisignSignaturesVerifyAndAnyChangeFails) {
  TTempFolder folder;
  TTestKeys keys(folder.Path());
  const std::string file = folder / "update.txt";
  WriteFile(file, "#version=3.17\r\n");
  ASSERT_TRUE(keys.Sign(file));
  const std::string signature = ReadFile(file + ".minisig");
  EXPECT_EQ(VerifyMinisignSignature("#version=3.17\r\n", signature, keys.PublicKey), "");
  EXPECT_EQ(VerifyMinisignSignature("#version=3.17\r\n", signature, ReadFile(keys.PublicKeyFile)), "");
  EXPECT_NE(VerifyMinisignSignature("#version=3.18\r\n", signature, keys.PublicKey), "");
  EXPECT_NE(VerifyMinisignSignature("#version=3.17\r\n", signature, ""), "");
  EXPECT_NE(VerifyMinisignSignature("#version=3.17\r\n", "", keys.PublicKey), "");

  std::string comment = signature;
  comment.replace(comment.find("trellane test"), 8, "evil tes");
  EXPECT_NE(VerifyMinisignSignature("#version=3.17\r\n", comment, keys.PublicKey), "");

  TTestKeys other(folder.Path());  // new keys overwrite the files
  EXPECT_EQ(VerifyMinisignSignature("#version=3.17\r\n", signature, other.PublicKey),
            "The description is signed with another key.");

  // The older, not prehashed form.
  ASSERT_EQ(RunProgram({"minisign", "-S", "-l", "-s", other.SecretKeyFile, "-m", file}), 0);
  EXPECT_EQ(VerifyMinisignSignature("#version=3.17\r\n", ReadFile(file + ".minisig"), other.PublicKey), "");
}

TEST(UpdateSignature, Sha256OfTextAndFile) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  TTempFolder folder;
  WriteFile(folder / "f", "abc");
  EXPECT_EQ(Sha256OfFile(folder / "f"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256OfFile(folder / "missing"), "");
}
