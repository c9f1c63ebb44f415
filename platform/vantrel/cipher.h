// Authenticated enciphering of text under a text key.
//
// The key is stretched with PBKDF2-HMAC-SHA256 over a fresh 16-byte salt, the text is sealed with
// AES-256-GCM under a fresh 12-byte nonce, and the result is "v1:" followed by the base64 of
// salt | nonce | cipher text | tag. The version tag is authenticated too, as associated data, and
// fixes every parameter: a later format gets a new tag instead of a flag. What is enciphered is the
// UTF-8 form of the text, so the result does not depend on the process's narrow encoding.
#ifndef TARVO_VANTREL_CIPHER_H
#define TARVO_VANTREL_CIPHER_H

#include "runtime/text.h"

namespace tarvo::backend::cipher {

// OWASP's 2023 recommendation for PBKDF2-HMAC-SHA256. Tests pass a small count so that trying every
// corruption of a text stays quick; the format itself always means this count.
inline constexpr int kPbkdf2Iterations = 600'000;

// Raises std::invalid_argument for an empty key, a text with a lone surrogate (it has no UTF-8 form)
// and a text too long for the format; NullReferenceError for absent text.
runtime::Text Encipher(const runtime::Text& plainText, const runtime::Text& key,
                       int iterations = kPbkdf2Iterations);

// Raises std::invalid_argument naming what is wrong when `encrypted` is not a text that Encipher made
// with this key: a foreign or damaged text, a truncated one, or the wrong key. Never returns a text
// that did not authenticate.
runtime::Text Decipher(const runtime::Text& encrypted, const runtime::Text& key,
                       int iterations = kPbkdf2Iterations);

}  // namespace tarvo::backend::cipher

#endif  // TARVO_VANTREL_CIPHER_H
