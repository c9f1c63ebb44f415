#include "vantrel/cipher.h"

#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "interop/narrow_codec.h"

namespace tarvo::backend::cipher {
namespace {

constexpr std::string_view kVersionTag = "v1:";
constexpr std::size_t kSaltSize = 16;
constexpr std::size_t kNonceSize = 12;  // GCM's natural nonce size: no extra hashing of the nonce
constexpr std::size_t kTagSize = 16;
constexpr std::size_t kKeySize = 32;
constexpr std::size_t kOverhead = kSaltSize + kNonceSize + kTagSize;
// OpenSSL counts lengths in int; a gibibyte of text keeps even its base64 form below that.
constexpr std::size_t kMaxPlainBytes = std::size_t{1} << 30;

constexpr std::size_t kMaxEncryptedUnits = kVersionTag.size() + 4 * ((kMaxPlainBytes + kOverhead + 2) / 3);

constexpr const char* kEncipher = "Vantrel::EcryptString";
constexpr const char* kDecipher = "Vantrel::DcryptString";

using Bytes = std::vector<unsigned char>;

[[noreturn]] void ThrowInvalid(const char* operation, const std::string& problem) {
  throw std::invalid_argument(std::string(operation) + ": " + problem);
}

[[noreturn]] void ThrowLibraryFailure(const char* operation, const char* step) {
  char reason[256] = "no reason given";
  if (const unsigned long code = ERR_get_error(); code != 0) ERR_error_string_n(code, reason, sizeof reason);
  ERR_clear_error();
  throw std::runtime_error(std::string(operation) + ": OpenSSL " + step + " failed: " + reason);
}

void Require(int status, const char* operation, const char* step) {
  if (status != 1) ThrowLibraryFailure(operation, step);
}

std::string CodePoint(char16_t unit) {
  char name[8];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(unit));
  return name;
}

// The UTF-8 form of the whole text. The codec stops at NUL, so the pieces between NULs are encoded
// one by one; a lone surrogate is refused because the codec would turn it into '?' and the text
// would not come back as it went in.
std::string Utf8Of(std::u16string_view text, const char* operation, const char* what) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++i;
    } else if (high || low) {
      ThrowInvalid(operation, std::string(what) + " holds a lone surrogate " + CodePoint(unit) +
                                  " at position " + std::to_string(i) + ", which has no UTF-8 form");
    }
  }
  const interop::NarrowCodec utf8 = interop::NarrowCodec::forCodeset("UTF-8");
  std::string bytes;
  for (std::size_t start = 0;;) {
    const std::size_t nul = text.find(u'\0', start);
    bytes += utf8.encode(text.substr(start, nul - start));
    if (nul == std::u16string_view::npos) return bytes;
    bytes += '\0';
    start = nul + 1;
  }
}

std::u16string TextOfUtf8(std::string_view bytes) {
  const interop::NarrowCodec utf8 = interop::NarrowCodec::forCodeset("UTF-8");
  std::u16string text;
  for (std::size_t start = 0;;) {
    const std::size_t nul = bytes.find('\0', start);
    text += utf8.decode(bytes.substr(start, nul - start));
    if (nul == std::string_view::npos) return text;
    text += u'\0';
    start = nul + 1;
  }
}

std::string Base64Of(const Bytes& bytes) {
  std::string encoded(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()), bytes.data(),
                                     static_cast<int>(bytes.size()));
  encoded.resize(static_cast<std::size_t>(length));
  return encoded;
}

// Strict: only the one canonical spelling of some bytes is accepted. EVP_DecodeBlock skips blanks
// and ignores the spare bits of the last character, so a changed character could otherwise decode
// to the same bytes and a damaged text would pass unnoticed.
Bytes BytesOfBase64(std::string_view encoded) {
  if (encoded.empty() || encoded.size() % 4 != 0)
    ThrowInvalid(kDecipher, "the encrypted text is not valid base64");
  Bytes bytes(encoded.size() / 4 * 3);
  const int length = EVP_DecodeBlock(bytes.data(), reinterpret_cast<const unsigned char*>(encoded.data()),
                                     static_cast<int>(encoded.size()));
  if (length < 0) ThrowInvalid(kDecipher, "the encrypted text is not valid base64");
  // EVP_DecodeBlock counts the zero bytes that padding stands for.
  const std::size_t padding = encoded.ends_with("==") ? 2 : encoded.ends_with('=') ? 1 : 0;
  bytes.resize(static_cast<std::size_t>(length) - padding);
  if (Base64Of(bytes) != encoded) ThrowInvalid(kDecipher, "the encrypted text is not valid base64");
  return bytes;
}

// The AES key stretched from the caller's key; wiped when it goes out of use.
class DerivedKey {
 public:
  DerivedKey(std::string_view secret, const unsigned char* salt, int iterations, const char* operation) {
    Require(PKCS5_PBKDF2_HMAC(secret.data(), static_cast<int>(secret.size()), salt, kSaltSize, iterations,
                              EVP_sha256(), kKeySize, bytes_.data()),
            operation, "PKCS5_PBKDF2_HMAC");
  }
  ~DerivedKey() { OPENSSL_cleanse(bytes_.data(), bytes_.size()); }
  DerivedKey(const DerivedKey&) = delete;
  DerivedKey& operator=(const DerivedKey&) = delete;
  const unsigned char* data() const { return bytes_.data(); }

 private:
  std::array<unsigned char, kKeySize> bytes_{};
};

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

CipherContext NewGcmContext(bool encrypt, const DerivedKey& key, const unsigned char* nonce,
                            const char* operation) {
  CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
  if (!context) ThrowLibraryFailure(operation, "EVP_CIPHER_CTX_new");
  Require(EVP_CipherInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr, encrypt), operation,
          "EVP_CipherInit_ex");
  Require(EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceSize, nullptr), operation,
          "EVP_CTRL_GCM_SET_IVLEN");
  Require(EVP_CipherInit_ex(context.get(), nullptr, nullptr, key.data(), nonce, encrypt), operation,
          "EVP_CipherInit_ex");
  int ignored = 0;
  Require(EVP_CipherUpdate(context.get(), nullptr, &ignored,
                           reinterpret_cast<const unsigned char*>(kVersionTag.data()), kVersionTag.size()),
          operation, "EVP_CipherUpdate (associated data)");
  return context;
}

std::string Seal(std::string_view plain, std::string_view secret, int iterations) {
  Bytes sealed(kOverhead + plain.size());
  unsigned char* const salt = sealed.data();
  unsigned char* const nonce = salt + kSaltSize;
  unsigned char* const body = nonce + kNonceSize;
  unsigned char* const tag = body + plain.size();
  Require(RAND_bytes(salt, kSaltSize + kNonceSize), kEncipher, "RAND_bytes");

  const DerivedKey key(secret, salt, iterations, kEncipher);
  const CipherContext context = NewGcmContext(true, key, nonce, kEncipher);
  int written = 0;
  if (!plain.empty()) {
    Require(
        EVP_EncryptUpdate(context.get(), body, &written, reinterpret_cast<const unsigned char*>(plain.data()),
                          static_cast<int>(plain.size())),
        kEncipher, "EVP_EncryptUpdate");
  }
  int finalWritten = 0;
  Require(EVP_EncryptFinal_ex(context.get(), body + written, &finalWritten), kEncipher,
          "EVP_EncryptFinal_ex");
  Require(EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, kTagSize, tag), kEncipher,
          "EVP_CTRL_GCM_GET_TAG");
  return std::string(kVersionTag) + Base64Of(sealed);
}

std::string Unseal(std::string_view text, std::string_view secret, int iterations) {
  if (!text.starts_with(kVersionTag)) {
    ThrowInvalid(kDecipher,
                 "the encrypted text does not start with the version tag \"v1:\"; it was not made by "
                 "Vantrel::EcryptString");
  }
  Bytes sealed = BytesOfBase64(text.substr(kVersionTag.size()));
  if (sealed.size() < kOverhead) {
    ThrowInvalid(kDecipher, "the encrypted text is truncated: it holds " + std::to_string(sealed.size()) +
                                " bytes where at least " + std::to_string(kOverhead) + " are needed");
  }
  const unsigned char* const salt = sealed.data();
  const unsigned char* const nonce = salt + kSaltSize;
  const unsigned char* const body = nonce + kNonceSize;
  const std::size_t bodySize = sealed.size() - kOverhead;
  std::array<unsigned char, kTagSize> tag;
  std::copy_n(body + bodySize, kTagSize, tag.begin());

  const DerivedKey key(secret, salt, iterations, kDecipher);
  const CipherContext context = NewGcmContext(false, key, nonce, kDecipher);
  std::string plain(bodySize, '\0');
  int written = 0;
  if (bodySize > 0) {
    Require(EVP_DecryptUpdate(context.get(), reinterpret_cast<unsigned char*>(plain.data()), &written, body,
                              static_cast<int>(bodySize)),
            kDecipher, "EVP_DecryptUpdate");
  }
  Require(EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, kTagSize, tag.data()), kDecipher,
          "EVP_CTRL_GCM_SET_TAG");
  int finalWritten = 0;
  if (EVP_DecryptFinal_ex(context.get(), reinterpret_cast<unsigned char*>(plain.data()) + written,
                          &finalWritten) != 1) {
    // GCM hands out the plain text before it checks the tag: wipe what did not authenticate.
    OPENSSL_cleanse(plain.data(), plain.size());
    ERR_clear_error();
    ThrowInvalid(kDecipher,
                 "the encrypted text does not authenticate: the key is wrong or the text was changed");
  }
  return plain;
}

std::string SecretOf(const runtime::Text& key, const char* operation) {
  std::string secret = Utf8Of(key.units((std::string(operation) + ": key").c_str()), operation, "the key");
  if (secret.empty()) ThrowInvalid(operation, "the key is empty");
  if (secret.size() > kMaxPlainBytes) ThrowInvalid(operation, "the key is longer than 1 GiB");
  return secret;
}

}  // namespace

runtime::Text Encipher(const runtime::Text& plainText, const runtime::Text& key, int iterations) {
  const std::string plain =
      Utf8Of(plainText.units((std::string(kEncipher) + ": plainText").c_str()), kEncipher, "the plain text");
  if (plain.size() > kMaxPlainBytes) {
    ThrowInvalid(kEncipher,
                 "the plain text of " + std::to_string(plain.size()) + " UTF-8 bytes is longer than 1 GiB");
  }
  const std::string secret = SecretOf(key, kEncipher);
  const std::string sealed = Seal(plain, secret, iterations);
  return runtime::Text(std::u16string(sealed.begin(), sealed.end()));
}

runtime::Text Decipher(const runtime::Text& encrypted, const runtime::Text& key, int iterations) {
  const std::u16string_view units = encrypted.units((std::string(kDecipher) + ": encrypted").c_str());
  if (units.size() > kMaxEncryptedUnits)
    ThrowInvalid(kDecipher, "the encrypted text is longer than any we make");
  std::string text(units.size(), '\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (units[i] >= 0x80) {
      ThrowInvalid(kDecipher, "the encrypted text holds " + CodePoint(units[i]) + " at position " +
                                  std::to_string(i) + "; an enciphered text is plain ASCII");
    }
    text[i] = static_cast<char>(units[i]);
  }
  const std::string secret = SecretOf(key, kDecipher);
  return runtime::Text(TextOfUtf8(Unseal(text, secret, iterations)));
}

}  // namespace tarvo::backend::cipher
